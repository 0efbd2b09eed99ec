// A control's state as the scripted host's dump prints it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Controls.h"

namespace host {

// {"text":S,"enabled":B} for a text field, {"state":N,...} for a check box,
// and so on by kind.
std::string controlStateJson(const platform::Control& control);

// {"dump":{OUTLET:STATE,...}} in the order given.
std::string dumpLine(const std::vector<std::pair<std::string, const platform::Control*>>& outlets);

}  // namespace host
