#include "com/Registrar.h"

#include <stdexcept>

namespace com {
namespace {

using Flag = ScriptKey::Flag;

struct ApplyError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string ChildPath(const std::string& parent, const std::string& name) {
    return parent.empty() ? name : parent + "\\" + name;
}

void Register(RegistryTree& tree, const std::string& parent, const ScriptKey& key) {
    const std::string path = ChildPath(parent, key.name);
    if (key.flag == Flag::Delete) {
        tree.DeleteTree(path);
        return;
    }
    if (key.flag == Flag::ForceRemove)
        tree.DeleteTree(path);
    if (!tree.CreateKey(path))
        throw ApplyError("malformed key name '" + path + "'");
    if (key.defaultValue && !tree.SetValue(path, "", *key.defaultValue))
        throw ApplyError("the registry cannot hold the default value of '" + path + "'");
    for (const auto& [name, text] : key.values)
        if (!tree.SetValue(path, name, text))
            throw ApplyError("the registry cannot hold the value '" + name + "'");
    for (const ScriptKey& subkey : key.subkeys)
        Register(tree, path, subkey);
}

void Unregister(RegistryTree& tree, const std::string& parent, const ScriptKey& key) {
    const std::string path = ChildPath(parent, key.name);
    if (key.flag == Flag::Delete || !tree.KeyExists(path))
        return;
    if (key.flag == Flag::ForceRemove) {
        tree.DeleteTree(path);
        return;
    }
    for (const ScriptKey& subkey : key.subkeys)
        Unregister(tree, path, subkey);
    if (key.flag == Flag::NoRemove)
        return;
    for (const auto& value : key.values)
        tree.DeleteValue(path, value.first);
    if (!tree.HasSubKeys(path))
        tree.DeleteTree(path);
}

} // namespace

HRESULT ApplyScriptKeys(RegistryTree& tree, const std::vector<ScriptKey>& keys, bool registering,
                        std::string* error) {
    try {
        RegistryTree changed = tree;
        for (const ScriptKey& key : keys) {
            if (registering)
                Register(changed, "", key);
            else
                Unregister(changed, "", key);
        }
        tree = std::move(changed);
        return S_OK;
    } catch (const ApplyError& e) {
        if (error != nullptr)
            *error = e.what();
        return E_INVALIDARG;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ApplyRegistrationScript(RegistryTree& tree, std::string_view script,
                                const ScriptVariables& variables, bool registering,
                                std::string* error) {
    try {
        const std::optional<std::vector<ScriptKey>> keys =
            ParseRegistrationScript(script, variables, error);
        if (!keys)
            return E_INVALIDARG;
        return ApplyScriptKeys(tree, *keys, registering, error);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace com
