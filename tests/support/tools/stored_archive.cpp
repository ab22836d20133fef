// stored_archive OUT.cbf NAME FILE [NAME FILE]...: writes an archive whose members hold the
// files' bytes, stored, under the names given verbatim. patchkit pack refuses names that climb
// out of a folder ("patch\..\x"); the end-to-end checks need such an archive to show that the
// installer refuses it.
#include "tests/support/archive_builder.h"

#include <cstdio>
#include <fstream>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: stored_archive OUT.cbf NAME FILE [NAME FILE]...\n");
        return 2;
    }
    std::vector<test::ArchiveMember> members;
    for (int i = 2; i < argc; i += 2) {
        std::ifstream in(argv[i + 1], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "stored_archive: cannot read %s\n", argv[i + 1]);
            return 1;
        }
        const std::vector<uint8_t> bytes { std::istreambuf_iterator<char>(in), {} };
        members.push_back(test::StoredMember(argv[i], bytes));
    }
    test::WriteBytes(argv[1], test::BuildArchive(members));
    return 0;
}
