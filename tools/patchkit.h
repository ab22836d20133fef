// patchkit's commands as functions, so that tests run them in process. Each takes the
// arguments after the command's name, writes its report to out and, when it fails, one line
// "patchkit: <reason>" to err, and returns the exit status: 0 done, 1 failed.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace patchkit {

using Arguments = std::vector<std::string>;

// The whole program: argv[0] is the program's name, argv[1] the command.
int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
// arguments[0] is the command's name.
int Run(const Arguments& arguments, std::ostream& out, std::ostream& err);

// pack SRC_DIR OUT.cbf [--method auto|store|lzw|scramble] [--dir-version 0|1] [--order N]
//      [--follow-links]
int Pack(const Arguments& arguments, std::ostream& out, std::ostream& err);
// list ARCHIVE: NAME<TAB>SIZE<TAB>STORED_SIZE<TAB>METHOD per member, in directory order, and
// <TAB>refused: REASON after a name the installer would refuse.
int List(const Arguments& arguments, std::ostream& out, std::ostream& err);
// extract ARCHIVE OUT_DIR
int Extract(const Arguments& arguments, std::ostream& out, std::ostream& err);
// verify ARCHIVE
int Verify(const Arguments& arguments, std::ostream& out, std::ostream& err);

}
