#pragma once
// What a batch says of an output that would replace an existing file: it is
// refused when the call's output plan forbids it (an input, or a file an
// earlier input wrote), replaced without a question once the user answered
// "replace all", and otherwise asked about ("The file: PATH already exists,
// would you like to replace it?").

#include "platform/MessageUi.h"
#include "platform/OutputPlan.h"
#include "platform/OutputUnit.h"

#include <functional>
#include <string>

namespace platform {

// failure: set to the plan's reason when the output is refused.
// beforeAsking: what the batch lets go of before the user is asked (the
// log's lock).
ReplaceVerdict AskBeforeReplacing(OutputPlan& plan, IReplaceUi& ui, bool& replaceAll,
                                  const std::string& path, const FileIdentity& existing,
                                  std::string& failure,
                                  const std::function<void()>& beforeAsking = {});

} // namespace platform
