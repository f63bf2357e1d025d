#pragma once
// What the outputs of one conversion call may replace: never one of the
// call's inputs, and never a file that an earlier input of the same call
// wrote. Both batches ask it about every output before writing it (by
// name) and about every output that would replace an existing file (by
// what stands there), and tell it what each input wrote.
//
// Cheap where nothing is in the way: the inputs are looked at (device and
// inode, a symbolic link and the file it leads to alike) only when an
// output would replace something, which is before anything could be
// replaced; the outputs written are looked at only then too, each once.

#include "platform/FileIdentity.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class OutputPlan {
public:
    // inputs: the names of the call's inputs, in order; they must outlive the plan.
    explicit OutputPlan(const std::vector<std::string>& inputs) : m_inputs(inputs) {}

    // The message why output must not be written, when an earlier input of
    // the call wrote that name; nothing when it may be written.
    std::optional<std::string> ConflictByName(const std::string& output) const;
    // The same for an output whose path names an existing file, told by
    // what that file is: an input of the call, or one that an earlier input wrote.
    std::optional<std::string> ConflictByIdentity(const std::string& output,
                                                  const FileIdentity& existing);

    // Records the outputs written for input number `input`.
    void Written(std::vector<std::string>&& outputs, std::size_t input);

private:
    struct Output {
        std::string path;
        std::size_t input; // the input that wrote it
    };
    // A place of the index: the hash of an output's path and its position
    // in m_outputs plus one (0: the place is free).
    struct Slot {
        std::size_t hash = 0;
        std::size_t output = 0;
    };

    std::string WrittenEarlier(const std::string& output, std::size_t input) const;
    // The written output named path, or nothing.
    const Output* Find(const std::string& path, std::size_t hash) const;
    void Index(std::size_t hash, std::size_t output);

    const std::vector<std::string>& m_inputs;
    bool m_inputsSeen = false;
    std::vector<FileIdentity> m_inputFiles; // sorted, once seen
    // The outputs written, in order, and an index of their names: open
    // addressing over a power-of-two table kept at most half full, so that
    // a name not written (the usual question) is answered from one place.
    std::vector<Output> m_outputs;
    std::vector<Slot> m_slots;
    std::size_t m_seen = 0; // outputs looked at so far (a prefix of m_outputs)
    std::map<FileIdentity, std::size_t> m_writtenFiles;
};

} // namespace platform
