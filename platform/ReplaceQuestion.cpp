#include "platform/ReplaceQuestion.h"

#include "platform/Ascii.h"

namespace platform {

ReplaceVerdict AskBeforeReplacing(OutputPlan& plan, IReplaceUi& ui, bool& replaceAll,
                                  const std::string& path, const FileIdentity& existing,
                                  std::string& failure,
                                  const std::function<void()>& beforeAsking) {
    if (std::optional<std::string> conflict = plan.ConflictByIdentity(path, existing)) {
        failure = std::move(*conflict);
        return ReplaceVerdict::Refuse;
    }
    if (replaceAll)
        return ReplaceVerdict::Replace;
    if (beforeAsking)
        beforeAsking();
    switch (ui.AskReplace("The file: " + PrintableName(path) +
                          " already exists, would you like to replace it?")) {
    case ReplaceAnswer::ReplaceAll:
        replaceAll = true;
        return ReplaceVerdict::Replace;
    case ReplaceAnswer::Replace:
        return ReplaceVerdict::Replace;
    case ReplaceAnswer::DoNotReplace:
        break;
    }
    return ReplaceVerdict::Keep;
}

} // namespace platform
