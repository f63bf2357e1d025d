// Bytes as the decoder meets them: as a PDU (with and without the service
// centre's address), as a user-data header, and as a file of each form,
// whose messages are put together and decoded. Every length read must stay
// within what is there, and every melody found goes through the MIDI
// writer, whose track must add up to the tones' ticks.

#include "fuzz/FuzzCheck.h"

#include "ems/Contents.h"
#include "ems/MessageLines.h"
#include "ems/Reassembly.h"
#include "melody/ImelodySound.h"
#include "sms/PduReader.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckPdu(std::string_view bytes) {
    for (const sms::ServiceCentre centre : {sms::ServiceCentre::Included, sms::ServiceCentre::Absent}) {
        const sms::PduReading reading = sms::ReadPdu(bytes, centre);
        FUZZ_CHECK(reading.message.has_value() == reading.problem.empty());
        if (reading.message) // the user data ends the PDU
            FUZZ_CHECK(bytes.ends_with(reading.message->userData));
    }
}

void CheckHeader(std::string_view bytes) {
    const ems::HeaderReading header = ems::ReadUserDataHeader(bytes);
    if (!header.problem.empty())
        return;
    std::size_t octets = 0;
    for (const ems::Element& element : header.elements)
        octets += 2 + element.data.size();
    if (header.concatenation) {
        octets += header.concatenation->wideReference ? 6 : 5;
        FUZZ_CHECK(header.concatenation->number >= 1 &&
                   header.concatenation->number <= header.concatenation->count);
    }
    FUZZ_CHECK(octets == static_cast<unsigned char>(bytes[0]));
}

// The ticks of a MIDI file's one track, from its delta times.
std::uint64_t TrackTicks(const std::string& midi) {
    FUZZ_CHECK(midi.size() >= 22 && midi.starts_with("MThd") && midi.substr(14, 4) == "MTrk");
    std::size_t at = 22;
    std::uint64_t ticks = 0;
    while (at < midi.size()) {
        std::uint64_t delta = 0;
        unsigned char octet = 0;
        do {
            FUZZ_CHECK(at < midi.size());
            octet = static_cast<unsigned char>(midi[at++]);
            delta = delta << 7 | (octet & 0x7F);
        } while ((octet & 0x80) != 0);
        ticks += delta;
        FUZZ_CHECK(at < midi.size());
        const auto status = static_cast<unsigned char>(midi[at]);
        at += status == 0xFF ? 3 + static_cast<unsigned char>(midi[at + 2]) : 3;
    }
    FUZZ_CHECK(at == midi.size());
    return ticks;
}

void CheckMelody(const std::string& text) {
    const melody::ImelodyTones tones = melody::ReadImelodyTones(text, melody::OctavePrefix::ForOneNote);
    std::uint64_t ticks = 0;
    for (const melody::ImelodyTone& tone : tones.tones)
        ticks += tone.ticks;
    FUZZ_CHECK(TrackTicks(melody::MidiFile(tones)) == ticks);
}

void CheckFile(std::string_view text, ems::LineForm form) {
    ems::Reading reading;
    const std::vector<std::string> names{"input"};
    ems::ReadMessageLines(text, 0, names, form, reading);
    for (const std::string& problem : reading.problems)
        FUZZ_CHECK(problem.starts_with("input:"));
    for (const ems::Part& part : reading.parts)
        FUZZ_CHECK(part.origin < reading.origins.size());
    for (const ems::Message& message : ems::Reassemble(reading, names)) {
        FUZZ_CHECK(message.problem.empty() || message.elements.empty());
        const ems::Contents contents = ems::DecodeElements(message.elements);
        FUZZ_CHECK(contents.problem.empty() || contents.items.empty());
        for (const ems::Content& content : contents.items) {
            FUZZ_CHECK(!content.description.empty());
            if (content.kind == ems::Content::Kind::Melody) {
                FUZZ_CHECK(content.melody.size() < text.size());
                CheckMelody(content.melody);
            }
            if (content.kind == ems::Content::Kind::Picture) {
                const imaging::MonoImage& picture = content.picture;
                FUZZ_CHECK(picture.width > 0 && picture.height > 0 && picture.width % 8 == 0);
                FUZZ_CHECK(picture.dark.size() == static_cast<std::size_t>(picture.width) *
                                                      static_cast<std::size_t>(picture.height));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckPdu(bytes);
    CheckHeader(bytes);
    for (const ems::LineForm form : {ems::LineForm::Pdu, ems::LineForm::UserData, ems::LineForm::PictureFile})
        CheckFile(bytes, form);
    return 0;
}
