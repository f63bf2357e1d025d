#include "ems/Reassembly.h"

#include <algorithm>
#include <map>
#include <span>
#include <tuple>

namespace ems {
namespace {

// Carrier, number, wide reference, reference.
using GroupKey = std::tuple<Carrier, std::string, bool, unsigned>;

// The first part read of a message in several, and what went wrong.
struct Group {
    Concatenation first;
    std::size_t message = 0; // its place among the messages
    std::string problem;
};

// A part of a message in several, to be sorted into place.
struct Slot {
    std::size_t group;
    unsigned number;
    std::size_t part;
    auto operator<=>(const Slot&) const = default;
};

// The most missing part numbers a problem lists; more are counted.
constexpr std::size_t kMaxListed = 8;

std::string ReferenceText(const Concatenation& concatenation) {
    return "reference " + std::to_string(concatenation.reference);
}

// "part 2 of 3", "parts 2 and 3 of 5", "parts 1, 2 and 4 of 9", "200 parts of 255".
std::string MissingText(std::span<const Slot> slots, unsigned count) {
    std::vector<unsigned> missing;
    unsigned present = 0, expected = 1;
    for (const Slot& slot : slots) {
        if (slot.number < expected)
            continue; // a copy
        for (; expected < slot.number; ++expected)
            missing.push_back(expected);
        ++present;
        ++expected;
    }
    for (; expected <= count; ++expected)
        missing.push_back(expected);
    const std::string of = " of " + std::to_string(count);
    if (missing.size() > kMaxListed)
        return std::to_string(count - present) + " parts" + of;
    std::string text = missing.size() == 1 ? "part " : "parts ";
    for (std::size_t i = 0; i < missing.size(); ++i) {
        if (i > 0)
            text += i + 1 == missing.size() ? " and " : ", ";
        text += std::to_string(missing[i]);
    }
    return text + of;
}

} // namespace

std::vector<Message> Reassemble(Reading& reading, const std::vector<std::string>& shownNames) {
    std::vector<Part> parts = std::move(reading.parts);
    const auto place = [&](const Part& part) { return PlaceText(shownNames, part.input, part.line); };
    std::vector<Message> messages;
    std::map<GroupKey, std::size_t> groupOf;
    std::vector<Group> groups;
    std::vector<Slot> slots;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Part& part = parts[i];
        messages.push_back({part.input, part.line, part.origin, 1, {}, {}});
        if (!part.concatenation || part.concatenation->count == 1) {
            messages.back().elements = std::move(part.elements);
            continue;
        }
        const Concatenation& concatenation = *part.concatenation;
        const Origin& origin = reading.origins[part.origin];
        const auto [at, fresh] = groupOf.try_emplace(
            GroupKey{origin.carrier, origin.number, concatenation.wideReference,
                     concatenation.reference},
            groups.size());
        if (fresh) {
            groups.push_back({concatenation, messages.size() - 1, {}});
            messages.back().parts = concatenation.count;
        } else {
            messages.pop_back(); // a further part of an earlier message
        }
        Group& group = groups[at->second];
        if (concatenation.count != group.first.count && group.problem.empty()) {
            const Message& first = messages[group.message];
            group.problem = place(part) + " says the message of " + ReferenceText(concatenation) +
                            " has " + std::to_string(concatenation.count) + " parts, " +
                            PlaceText(shownNames, first.input, first.line) + " says " +
                            std::to_string(group.first.count);
        }
        slots.push_back({at->second, concatenation.number, i});
    }

    // Each message's parts together, by number, copies in the order read.
    std::sort(slots.begin(), slots.end());
    for (std::size_t begin = 0, end = 0; begin < slots.size(); begin = end) {
        Group& group = groups[slots[begin].group];
        while (end < slots.size() && slots[end].group == slots[begin].group)
            ++end;
        const std::span<const Slot> own(slots.data() + begin, end - begin);
        std::size_t distinct = 1;
        for (std::size_t s = 1; s < own.size(); ++s) {
            if (own[s].number != own[s - 1].number) {
                ++distinct;
                continue;
            }
            const Part& earlier = parts[own[s - 1].part];
            const Part& later = parts[own[s].part];
            if (group.problem.empty() && earlier.elements != later.elements)
                group.problem = "part " + std::to_string(own[s].number) + " of " +
                                std::to_string(group.first.count) + " (" +
                                ReferenceText(group.first) + ") is read twice with other data, at " +
                                place(earlier) + " and " + place(later);
        }
        if (group.problem.empty() && distinct < group.first.count)
            group.problem = MissingText(own, group.first.count) + " (" +
                            ReferenceText(group.first) + ") missing";
        Message& message = messages[group.message];
        if (!group.problem.empty()) {
            message.problem = std::move(group.problem);
            continue;
        }
        for (std::size_t s = 0; s < own.size(); ++s)
            if (s == 0 || own[s].number != own[s - 1].number)
                for (Element& element : parts[own[s].part].elements)
                    message.elements.push_back(std::move(element));
    }
    return messages;
}

} // namespace ems
