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
// preview DIST_DIR OUT_DIR [--lang CODE]... [--strict]: every wizard page of each language
// (default: every language file) as OUT_DIR/<CODE>/<NN>-<page>.png and OUT_DIR/index.html with
// the pages side by side; each finding of the page checks (a missing text, a text that does not
// fit its box, a character without a glyph) also as one line "CODE page: what" on err. 0, or 1
// with --strict when there are findings.
int Preview(const Arguments& arguments, std::ostream& out, std::ostream& err);
// tour DIST_DIR PAGES_DIR [--lang CODE]: the installer run on the distribution with the
// registry in effect, clicked through by its default buttons, with PAGES_DIR/<NN>-<page>.png of
// every page shown (their names on out). 0 when it ended on the finished page, 2 on a refusal,
// 3 on the failed or cancelled page, 1 when the start failed.
int TourCommand(const Arguments& arguments, std::ostream& out, std::ostream& err);

}
