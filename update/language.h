// The updater's language: one translation document, chosen by the "--lang="
// value, loaded into the application's translation manager.
#pragma once

#include <string_view>

#include "veneer/core/ui_context.h"

namespace update {

// Loads the document `resourceId` ("I18N:us") and adds its translator to the
// context's manager. False, with nothing installed, when the resource is
// missing or is not a translation document: texts then stay as their keys.
bool InstallLanguage(veneer::VUiContext& ui, std::u16string_view resourceId);

}  // namespace update
