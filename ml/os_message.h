// The system side of the text database's default error sink; both backends define it.
#pragma once

namespace ml::os {

// Shows a load error to the user: a message box without owner, captioned "Error loading
// multi-language database", with an OK button on Windows; the caption and the message on
// stderr elsewhere. Returns when the user has seen it (or at once when there is nobody to ask).
void ShowLoadError(const char16_t* message);

}
