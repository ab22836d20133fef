// patchkit's commands for text definition files, run through the same loader as the installer.
// Same contract as the other commands (tools/patchkit.h): arguments[0] is the command's name,
// the report goes to out, the exit status is returned.
#pragma once

#include "tools/patchkit.h"

namespace patchkit {

// dump FILE --lang CODE: "ID<TAB>TEXT" for every entry the file gives a text, ascending id, the
// text in UTF-8 with line feed, tab and backslash written as \n, \t and \\. A definition error
// goes to err as "FILE:LINE: MESSAGE" and fails.
int Dump(const Arguments& arguments, std::ostream& out, std::ostream& err);
// lint FILE... [--lang CODE]...: each file's first error for every language (the given ones,
// else every code the file uses) as "FILE:LINE: MESSAGE", and warnings about texts the
// installer cannot use, as "FILE: warning: ...". Fails when any error was found.
int Lint(const Arguments& arguments, std::ostream& out, std::ostream& err);

}
