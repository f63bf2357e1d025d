#include "platform/OutputPlan.h"

#include "platform/Ascii.h"

#include <algorithm>

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

std::optional<std::string> OutputPlan::ConflictByName(const std::string& output) const {
    const auto written = m_written.find(output);
    if (written == m_written.end())
        return std::nullopt;
    return WrittenEarlier(output, written->second);
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
    for (const std::string* path : m_unseen)
        if (const auto file = IdentityOf(*path, false))
            m_writtenFiles.emplace(*file, m_written.at(*path));
    m_unseen.clear();
    const auto written = m_writtenFiles.find(existing);
    if (written == m_writtenFiles.end())
        return std::nullopt;
    return WrittenEarlier(output, written->second);
}

void OutputPlan::Written(std::vector<std::string>&& outputs, std::size_t input) {
    for (std::string& output : outputs) {
        const auto [entry, added] = m_written.emplace(std::move(output), input);
        if (added)
            m_unseen.push_back(&entry->first);
    }
}

} // namespace platform
