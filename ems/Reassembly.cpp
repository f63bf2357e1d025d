#include "ems/Reassembly.h"

#include <map>
#include <tuple>

namespace ems {
namespace {

using GroupKey = std::tuple<std::string, bool, unsigned>; // sender, wide reference, reference

struct Group {
    Concatenation first;               // of the first part read
    std::size_t message = 0;           // its place among the messages
    std::vector<std::size_t> partAt;   // by number - 1: the part, or kMissing
    std::string problem;
};

constexpr std::size_t kMissing = SIZE_MAX;

std::string ReferenceText(const Concatenation& concatenation) {
    return "reference " + std::to_string(concatenation.reference);
}

// "part 2", "parts 2 and 3", "parts 1, 2 and 4".
std::string PartsText(const std::vector<unsigned>& numbers) {
    std::string text = numbers.size() == 1 ? "part " : "parts ";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            text += i + 1 == numbers.size() ? " and " : ", ";
        text += std::to_string(numbers[i]);
    }
    return text;
}

} // namespace

std::vector<Message> Reassemble(std::vector<Part> parts) {
    std::vector<Message> messages;
    std::map<GroupKey, Group> groups;
    std::vector<Group*> byMessage; // the group of each message, or none
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Part& part = parts[i];
        const auto newMessage = [&] {
            messages.push_back({part.input, part.where, part.sender, part.timeStamp, 1, {}, {}});
            byMessage.push_back(nullptr);
        };
        if (!part.concatenation || part.concatenation->count == 1) {
            newMessage();
            messages.back().elements = std::move(part.elements);
            continue;
        }
        const Concatenation& concatenation = *part.concatenation;
        auto [at, fresh] = groups.try_emplace(
            GroupKey{part.sender, concatenation.wideReference, concatenation.reference});
        Group& group = at->second;
        if (fresh) {
            group.first = concatenation;
            group.message = messages.size();
            group.partAt.assign(concatenation.count, kMissing);
            newMessage();
            messages.back().parts = concatenation.count;
            byMessage.back() = &group;
        }
        if (!group.problem.empty())
            continue;
        const Message& message = messages[group.message];
        if (concatenation.count != group.partAt.size()) {
            group.problem = part.where + " says the message of " + ReferenceText(concatenation) +
                            " has " + std::to_string(concatenation.count) + " parts, " +
                            message.where + " says " + std::to_string(group.partAt.size());
            continue;
        }
        std::size_t& slot = group.partAt[concatenation.number - 1];
        if (slot == kMissing) {
            slot = i;
        } else if (parts[slot].elements != part.elements) {
            group.problem = "part " + std::to_string(concatenation.number) + " of " +
                            std::to_string(concatenation.count) + " (" +
                            ReferenceText(concatenation) + ") is read twice with other data, at " +
                            parts[slot].where + " and " + part.where;
        }
    }
    for (std::size_t m = 0; m < messages.size(); ++m) {
        Group* group = byMessage[m];
        if (group == nullptr)
            continue;
        Message& message = messages[m];
        std::vector<unsigned> missing;
        for (std::size_t n = 0; n < group->partAt.size(); ++n)
            if (group->partAt[n] == kMissing)
                missing.push_back(static_cast<unsigned>(n + 1));
        if (group->problem.empty() && !missing.empty())
            group->problem = PartsText(missing) + " of " + std::to_string(message.parts) +
                             " (" + ReferenceText(group->first) + ") missing";
        if (!group->problem.empty()) {
            message.problem = std::move(group->problem);
            continue;
        }
        for (const std::size_t at : group->partAt)
            for (Element& element : parts[at].elements)
                message.elements.push_back(std::move(element));
    }
    return messages;
}

} // namespace ems
