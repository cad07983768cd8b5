#pragma once

#include <string>
#include <vector>

namespace tamsel::net {

// Letters and digits stay, a blank becomes "+", every other byte "%" and two upper-case hex digits.
std::string encodeFormValue(const std::string& value);

// The body of a form POST from lines of the form name=value. With `encodeValues`, each line's
// non-empty value is encoded in place (names never are). Two or more lines are joined with "&"
// after each line, so such a body ends with "&".
std::string encodeForm(std::vector<std::string>& lines, bool encodeValues);

}  // namespace tamsel::net
