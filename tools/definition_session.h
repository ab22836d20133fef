// What dump and lint share: the archive file system started for disk files only, the text
// database's errors collected instead of shown, loading one file for one language, and wide
// text written as UTF-8.
#pragma once

#include "ml/ml.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace patchkit {

class DefinitionSession {
public:
    // Starts the archive file system with plain names and no archives, installs a collecting
    // error sink and empties the text database.
    DefinitionSession();
    // Empties the database, restores the error sink and stops the archive file system.
    ~DefinitionSession();
    DefinitionSession(const DefinitionSession&) = delete;
    DefinitionSession& operator=(const DefinitionSession&) = delete;

    bool Started() const { return m_started; }

    enum class Result { Loaded, DefinitionError, Unreadable };
    // Loads file for the language into an empty database, as installer data (entry 1000 set to
    // the empty text first) or as a language file. After a definition error, error holds
    // "FILE:LINE: MESSAGE" in UTF-8.
    Result Load(const std::string& file, const std::string& language, bool installerData,
        std::string* error);
    // The language codes used as commands in file, in order of first use; false when the file
    // cannot be read.
    bool Languages(const std::string& file, std::vector<std::string>* codes);

private:
    bool m_started = false;
    ML_ErrorSink m_previousSink = nullptr;
};

// Appends text as UTF-8 (a lone surrogate becomes U+FFFD); with escape set, a line feed, a tab
// and a backslash are written as \n, \t and \\.
void AppendUtf8(std::string& out, std::u16string_view text, bool escape);

}
