// The language of the window: its own texts, Qt's standard buttons and dialogs, and the reasons
// of failed loads.
#pragma once

#include "model/Language.h"

namespace orvanta {

// Shows everything in `language` from now on, replacing the translations installed before: in
// Japanese, the window's own texts as written and Qt's Japanese translations for the standard
// buttons and dialogs; in English, the window's English translation. Needs a QCoreApplication.
void UseInterfaceLanguage(Language language);

} // namespace orvanta
