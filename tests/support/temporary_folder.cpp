#include "temporary_folder.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <stdlib.h>

namespace tamsel::testing {

TemporaryFolder::TemporaryFolder()
{
    // Short, so that a socket inside stays within the 108 bytes of a socket address.
    char pattern[] = "/tmp/tamsel-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace tamsel::testing
