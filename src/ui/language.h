// Switching the language of every window and of the message texts at run time.
#pragma once

#include <string>

namespace bsms {

class Program;

// Sets the window texts, label positions and message texts of Current_Language; a word that is
// none of the five changes nothing.
void Apply_Language(Program& p);
// A language menu item: the word of the item, then Apply_Language, then the check marks.
void Choose_Language(Program& p, const std::string& word);

}  // namespace bsms
