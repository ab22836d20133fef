// The POSIX registry's file: where it lives, reading it, and changing it so that concurrent
// writers never lose each other's values and a crash never leaves a torn file.
#pragma once

#include "platform/posix/registry_hive.h"

#include <functional>
#include <string>

namespace platform::detail {

// $PATCHER_REGISTRY, else $XDG_CONFIG_HOME/patcher/registry.reg, else
// $HOME/.config/patcher/registry.reg; "" when none of them is set.
std::string HivePath();

// Reads the hive as the file holds it now; a missing file is the empty registry. False when
// there is no hive path or the file cannot be read.
bool LoadHive(Hive& hive);

// Changes the hive: under an exclusive lock on a lock file beside it, re-reads the file, lets
// change edit the contents (when it returns false the file is left alone and false returned),
// writes the result to a temporary file in the same folder, syncs it and renames it over the
// hive, keeping the old file's permission bits. Missing folders are made. False when any step
// fails, or when the file exists but is not a registry export or is not a plain file (a link
// to a hive elsewhere is refused, not replaced); the file is never overwritten then.
bool UpdateHive(const std::function<bool(Hive&)>& change);

// For tests: called once the temporary file is written and synced, just before the rename,
// so that a test can end the process there. Returns the previous hook; null removes it.
using HiveCommitHook = void (*)();
HiveCommitHook SetHiveCommitHook(HiveCommitHook hook);

}
