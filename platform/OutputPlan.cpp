#include "platform/OutputPlan.h"

#include "platform/Ascii.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace platform {
namespace {

std::string CannotBeWritten(const std::string& output, const std::string& reason) {
    return "The file: " + PrintableName(output) + " could not be written: " + reason;
}

} // namespace

std::string OutputPlan::WrittenEarlier(const std::string& output, std::size_t input) const {
    return CannotBeWritten(output, "it was written for " + PrintableName(m_inputs[input]) +
                                       " earlier in this conversion.");
}

const OutputPlan::Output* OutputPlan::Find(const std::string& path, std::size_t hash) const {
    if (m_slots.empty())
        return nullptr;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.output == 0)
            return nullptr;
        if (slot.hash == hash && m_outputs[slot.output - 1].path == path)
            return &m_outputs[slot.output - 1];
    }
}

void OutputPlan::Index(std::size_t hash, std::size_t output) {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t i = hash & mask;
    while (m_slots[i].output != 0)
        i = (i + 1) & mask;
    m_slots[i] = {hash, output + 1};
}

std::optional<std::string> OutputPlan::ConflictByName(const std::string& output) const {
    const Output* written = Find(output, std::hash<std::string>{}(output));
    if (written == nullptr)
        return std::nullopt;
    return WrittenEarlier(output, written->input);
}

std::optional<std::string> OutputPlan::ConflictByIdentity(const std::string& output,
                                                          const FileIdentity& existing) {
    if (!m_inputsSeen) {
        for (const std::string& input : m_inputs)
            AddIdentities(input, m_inputFiles);
        std::sort(m_inputFiles.begin(), m_inputFiles.end());
        m_inputsSeen = true;
    }
    if (std::binary_search(m_inputFiles.begin(), m_inputFiles.end(), existing))
        return CannotBeWritten(output, "it is an input of this conversion.");
    for (; m_seen < m_outputs.size(); ++m_seen)
        if (const auto file = IdentityOf(m_outputs[m_seen].path, false))
            m_writtenFiles.emplace(*file, m_outputs[m_seen].input);
    const auto written = m_writtenFiles.find(existing);
    if (written == m_writtenFiles.end())
        return std::nullopt;
    return WrittenEarlier(output, written->second);
}

void OutputPlan::Written(std::vector<std::string>&& outputs, std::size_t input) {
    for (std::string& output : outputs) {
        const std::size_t hash = std::hash<std::string>{}(output);
        if (Find(output, hash) != nullptr)
            continue; // the first input that wrote a name keeps it
        if (2 * (m_outputs.size() + 1) > m_slots.size()) {
            const std::vector<Slot> old = std::exchange(
                m_slots, std::vector<Slot>(m_slots.empty() ? 64 : 2 * m_slots.size()));
            for (const Slot& slot : old)
                if (slot.output != 0)
                    Index(slot.hash, slot.output - 1);
        }
        Index(hash, m_outputs.size());
        m_outputs.push_back({std::move(output), input});
    }
}

} // namespace platform
