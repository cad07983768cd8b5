#include "system_texts.h"

namespace tamsel {

const std::string_view VerdictDemoted = "\xD6\xD8\xD2\xAA\xB1\xA6\xB1\xB4\xB1\xBB\xD2\xFE\xD0\xD4\xBD\xB5\xC8\xA8";
const std::string_view VerdictNormal = "\xD6\xD8\xD2\xAA\xB1\xA6\xB1\xB4\xC8\xA8\xD6\xB5\xD5\xFD\xB3\xA3";
const std::string_view NormalMark = "\xD5\xFD\xB3\xA3";
const std::string_view AllClearPrefix = "\xB5\xEA\xC6\xCC\xB1\xA6\xB1\xB4\xB9\xB2";
const std::string_view AllClearSuffix = "\xB8\xF6\x20\xA3\xAC\xC3\xBB\xD3\xD0\xB1\xBB\xBD\xB5\xC8\xA8\xB1\xA6\xB1\xB4";

std::string allClearMessage(int32_t itemCount)
{
    return std::string(AllClearPrefix) + std::to_string(itemCount) + std::string(AllClearSuffix);
}

}  // namespace tamsel
