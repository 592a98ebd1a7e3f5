// The little of CSS the readers need: which classes a style sheet hides.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace tessaline::book {

// Adds to `classes` the classes that `css` gives "display: none" (or
// "visibility: hidden") by a rule whose selector is the class alone or an
// element name with the class (".aside", "span.aside"). Rules inside
// at-rules (@media print, ...) hide only there and are not taken.
void addHiddenClasses(std::string_view css, std::set<std::string>& classes);

// Whether an element's style attribute hides it.
bool styleHides(std::string_view declarations);

}  // namespace tessaline::book
