#include "ems/MessageLines.h"

#include "ems/ElementFormat.h"
#include "platform/Ascii.h"
#include "sms/PduReader.h"

namespace ems {
namespace {

constexpr std::string_view kListingHeads[] = {"+CMGL:", "+CMGR:"};
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A 72x14 picture's bare data: nine octets a row.
constexpr unsigned kBarePictureWidth = 9;
constexpr unsigned kBarePictureHeight = 14;
constexpr std::size_t kBarePictureOctets = kBarePictureWidth * kBarePictureHeight;

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && platform::IsAsciiSpace(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && platform::IsAsciiSpace(line.back()))
        line.remove_suffix(1);
    return line;
}

bool IsHex(std::string_view line) {
    for (const char c : line)
        if (platform::HexDigitOf(c) < 0)
            return false;
    return true;
}

bool IsListingHead(std::string_view line) {
    for (const std::string_view head : kListingHeads)
        if (line.size() >= head.size() &&
            platform::EqualsIgnoringAsciiCase(line.substr(0, head.size()), head))
            return true;
    return false;
}

// The length a listing line gives its PDU (the octets after the service
// centre's address): the number after its last ",".
std::optional<std::size_t> ListedLength(std::string_view line) {
    const std::string_view field = Trimmed(line.substr(line.rfind(',') + 1));
    if (field.empty() || field.size() > 4)
        return std::nullopt;
    std::size_t length = 0;
    for (const char c : field) {
        if (!platform::IsAsciiDigit(c))
            return std::nullopt;
        length = 10 * length + static_cast<std::size_t>(c - '0');
    }
    return length;
}

// The header of user data that starts with one, into the part; the problem otherwise.
std::string TakeHeader(std::string_view userData, Part& part) {
    HeaderReading header = ReadUserDataHeader(userData);
    if (!header.problem.empty())
        return header.problem;
    part.concatenation = header.concatenation;
    part.elements = std::move(header.elements);
    return {};
}

std::string TakePdu(std::string_view octets, sms::ServiceCentre centre, Part& part,
                    Reading& reading, bool& isPdu) {
    sms::PduReading pdu = sms::ReadPdu(octets, centre);
    isPdu = pdu.message.has_value();
    if (!pdu.message)
        return pdu.problem;
    sms::ShortMessage& message = *pdu.message;
    part.origin = reading.OriginNumber(
        {message.kind == sms::PduKind::Deliver ? Carrier::Deliver : Carrier::Submit,
         std::move(message.number), std::move(message.timeStamp)});
    return message.hasHeader ? TakeHeader(message.userData, part) : std::string();
}

// A PDU line: with the service centre's address in front, or else without.
std::string TakePduLine(std::string_view octets, Part& part, Reading& reading) {
    bool isPdu = false;
    const std::string withCentre =
        TakePdu(octets, sms::ServiceCentre::Included, part, reading, isPdu);
    if (isPdu)
        return withCentre;
    Part bare = part;
    const std::string without = TakePdu(octets, sms::ServiceCentre::Absent, bare, reading, isPdu);
    if (!isPdu)
        return withCentre;
    part = std::move(bare);
    return without;
}

std::string TakeUserDataLine(std::string_view octets, LineForm form, Part& part,
                             Reading& reading) {
    part.origin = reading.OriginNumber({});
    const std::string problem = TakeHeader(octets, part);
    const bool wholeHeader = !octets.empty() &&
                             static_cast<std::size_t>(static_cast<unsigned char>(octets[0])) + 1 ==
                                 octets.size();
    if (form != LineForm::PictureFile || octets.size() != kBarePictureOctets ||
        (problem.empty() && wholeHeader))
        return problem;
    // A 72x14 picture written as its bare data: one variable picture.
    part.concatenation.reset();
    part.elements = {{element::kVariablePicture,
                      std::string{'\0', static_cast<char>(kBarePictureWidth),
                                  static_cast<char>(kBarePictureHeight)} +
                          std::string(octets)}};
    return {};
}

} // namespace

std::string SenderText(const Origin& origin) {
    if (origin.carrier == Carrier::UserData)
        return "user data";
    std::string text = origin.carrier == Carrier::Deliver ? "SMS-DELIVER from " : "SMS-SUBMIT to ";
    return text + (origin.number.empty() ? "(no number)" : platform::PrintableName(origin.number));
}

std::uint32_t Reading::OriginNumber(Origin origin) {
    const auto [at, added] =
        m_numbers.try_emplace(std::move(origin), static_cast<std::uint32_t>(origins.size()));
    if (added)
        origins.push_back(at->first);
    return at->second;
}

std::string PlaceText(const std::vector<std::string>& shownNames, std::size_t input,
                      std::size_t line) {
    return shownNames[input] + ':' + std::to_string(line);
}

LineForm LineFormOf(std::string_view name) {
    if (name.ends_with(".hx1") || name.ends_with(".hx2"))
        return LineForm::UserData;
    if (name.ends_with("lgo"))
        return LineForm::PictureFile;
    return LineForm::Pdu;
}

void ReadMessageLines(std::string_view text, std::uint32_t input,
                      const std::vector<std::string>& shownNames, LineForm form, Reading& reading) {
    std::vector<std::string>& problems = reading.problems;
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    const auto where = [&](std::size_t line) { return PlaceText(shownNames, input, line); };
    std::optional<std::size_t> listed; // the length the last listing line gave
    std::uint32_t listingLine = 0;
    std::uint32_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (raw.size() > kMaxLineBytes) {
            problems.push_back(where(number) + ": a line over 1 MB, not read");
            listed.reset();
            continue;
        }
        const std::string_view line = Trimmed(raw);
        if (line.empty())
            continue;
        const std::optional<std::size_t> listedHere = listed;
        listed.reset();
        if (listedHere && !IsHex(line))
            problems.push_back(where(listingLine) + ": no PDU follows the listing line");
        if (IsListingHead(line)) {
            listed = ListedLength(line);
            listingLine = number;
            if (!listed)
                problems.push_back(where(number) + ": a listing line without the PDU's length");
            continue;
        }
        if (!IsHex(line))
            continue;
        const std::optional<std::string> octets = sms::OctetsOfHex(line);
        if (!octets) {
            problems.push_back(where(number) + ": an odd number of hexadecimal digits");
            continue;
        }
        Part part{input, number, 0, {}, {}};
        std::string problem;
        if (listedHere) {
            // The listing counts the octets after the service centre's address.
            const std::size_t centre = octets->empty() ? 0 : 1 + static_cast<unsigned char>((*octets)[0]);
            if (centre + *listedHere != octets->size()) {
                problems.push_back(where(number) + ": the listing gives the PDU " +
                                   std::to_string(*listedHere) + " octets, the line holds " +
                                   std::to_string(octets->size() - std::min(centre, octets->size())) +
                                   " after the service centre's address");
                continue;
            }
            bool isPdu = false;
            problem = TakePdu(*octets, sms::ServiceCentre::Included, part, reading, isPdu);
        } else if (form == LineForm::Pdu) {
            problem = TakePduLine(*octets, part, reading);
        } else {
            problem = TakeUserDataLine(*octets, form, part, reading);
        }
        if (!problem.empty()) {
            problems.push_back(where(number) + ": " + problem);
            continue;
        }
        reading.parts.push_back(std::move(part));
    }
    if (listed)
        problems.push_back(where(listingLine) + ": no PDU follows the listing line");
}

} // namespace ems
