#pragma once
// Scratch space of one fuzzing process, made at first use and removed at exit: a temporary
// folder, and one database in it made with the embedded engine from the given statements.
#include "data/firebird.h"

#include <string>
#include <vector>

namespace kalvora::fuzz {

const std::string& scratchFolder();
fb::Attachment& scratchDatabase(const std::vector<std::string>& statements);

}  // namespace kalvora::fuzz
