#include "cli/PduOption.h"

#include "platform/Ascii.h"

namespace cli {

std::optional<std::string> ReadPduOption(const ParsedArgs& parsed,
                                         std::optional<sms::Address>& to) {
    to.reset();
    const auto given = parsed.values.find(kPduOption.name);
    if (given == parsed.values.end())
        return std::nullopt;
    to = sms::ParseNumber(given->second);
    if (!to)
        return kPduOption.name + " needs a number of 1 to " +
               std::to_string(sms::kMaxNumberDigits) +
               " digits, with an optional leading \"+\", not '" + given->second + "'";
    return std::nullopt;
}

std::string CmgsLines(const std::vector<sms::PduFile>& files) {
    std::string lines;
    for (const sms::PduFile& file : files) {
        lines += platform::PrintableName(file.path);
        lines += ':';
        for (const std::size_t length : file.lengths)
            lines += " AT+CMGS=" + std::to_string(length);
        lines += '\n';
    }
    return lines;
}

} // namespace cli
