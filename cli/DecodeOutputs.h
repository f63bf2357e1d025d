#pragma once
// The files of emsconv decode: what each message carries, written as one
// unit (platform/OutputUnit.h) beside the name of the input it was first
// read from: NAME.1.imy, NAME.2.png, ... numbered on from one message to
// the next, with NAME.N.wav and NAME.N.mid beside a melody when asked for.
// No output replaces an input of the run or a file an earlier input wrote
// (platform/OutputPlan.h); an existing file is asked about as the other
// commands ask.

#include "cli/TerminalUi.h"
#include "ems/Contents.h"
#include "platform/OutputPlan.h"

#include <map>
#include <string>
#include <vector>

namespace cli {

struct DecodeOptions {
    std::string outputDir; // ends in "/"
    bool wav = false;
    bool midi = false;
    int pngScale = 1;
};

class DecodeOutputs {
public:
    DecodeOutputs(TerminalUi& ui, const std::vector<std::string>& inputs,
                  const DecodeOptions& options)
        : m_ui(ui), m_inputs(inputs), m_plan(inputs), m_options(options) {}

    enum class Outcome { Written, Kept, Failed };
    struct Result {
        Outcome outcome = Outcome::Written;
        std::vector<std::string> lines; // one for each file written, for standard output
        std::string failure;            // Failed: why nothing was written
    };

    // Writes the melodies and pictures of a message read first from input
    // number `input`; nothing when it carries none.
    Result Write(const std::vector<ems::Content>& contents, std::size_t input);

private:
    // A melody's text or a picture's PNG, or a melody as sound.
    enum class Form { File, Wave, Midi };
    struct Output {
        std::string path;
        const ems::Content* content;
        Form form;
        std::string note; // after the path on its line
    };

    TerminalUi& m_ui;
    const std::vector<std::string>& m_inputs;
    platform::OutputPlan m_plan;
    const DecodeOptions& m_options;
    std::map<std::string, std::size_t> m_numbers; // the last number given after each base
    bool m_replaceAll = false;
};

} // namespace cli
