#pragma once
// The user-data header as the decoder takes it apart: the values of
// sms/UserDataHeader.h, named in ems.

#include "sms/UserDataHeader.h"

namespace ems {

using sms::udh::Concatenation;
using sms::udh::Element;
using sms::udh::HeaderReading;
using sms::udh::ReadUserDataHeader;

} // namespace ems
