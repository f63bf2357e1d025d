#include "sms/UserDataHeader.h"

namespace sms::udh {
namespace {

unsigned OctetAt(std::string_view octets, std::size_t at) {
    return static_cast<unsigned char>(octets[at]);
}

// The concatenation element's data, or the problem with it.
std::string ReadConcatenation(const Element& element, Concatenation& concatenation) {
    const bool wide = element.id == kConcatenation16;
    const std::size_t octets = wide ? kConcatenation16Octets : kConcatenation8Octets;
    if (element.data.size() != octets)
        return "a concatenation element of " + std::to_string(element.data.size()) +
               " octets (" + std::to_string(octets) + " expected)";
    concatenation.wideReference = wide;
    concatenation.reference = wide ? OctetAt(element.data, 0) << 8 | OctetAt(element.data, 1)
                                   : OctetAt(element.data, 0);
    concatenation.count = OctetAt(element.data, octets - 2);
    concatenation.number = OctetAt(element.data, octets - 1);
    if (concatenation.count == 0 || concatenation.number == 0 ||
        concatenation.number > concatenation.count)
        return "a concatenation element that says part " + std::to_string(concatenation.number) +
               " of " + std::to_string(concatenation.count);
    return {};
}

} // namespace

HeaderReading ReadUserDataHeader(std::string_view userData) {
    HeaderReading reading;
    if (userData.empty()) {
        reading.problem = "no user data, where a header is announced";
        return reading;
    }
    const std::size_t end = 1 + OctetAt(userData, 0);
    if (end > userData.size()) {
        reading.problem = "the header length (" + std::to_string(end - 1) +
                          " octets) runs past the end of the user data (" +
                          std::to_string(userData.size()) + " octets)";
        return reading;
    }
    for (std::size_t at = 1; at < end;) {
        if (end - at < 2) {
            reading.problem = "the header ends inside an element's identifier and length";
            return reading;
        }
        Element element{OctetAt(userData, at), {}};
        const std::size_t length = OctetAt(userData, at + 1);
        at += 2;
        if (length > end - at) {
            reading.problem = "element " + IdText(element.id) + " of " + std::to_string(length) +
                              " octets runs past the end of the header (" +
                              std::to_string(end - at) + " left)";
            return reading;
        }
        element.data = userData.substr(at, length);
        at += length;
        if (element.id != kConcatenation8 && element.id != kConcatenation16) {
            reading.elements.push_back(std::move(element));
            continue;
        }
        if (reading.concatenation) {
            reading.problem = "two concatenation elements";
            return reading;
        }
        Concatenation concatenation;
        reading.problem = ReadConcatenation(element, concatenation);
        if (!reading.problem.empty())
            return reading;
        reading.concatenation = concatenation;
    }
    return reading;
}

} // namespace sms::udh
