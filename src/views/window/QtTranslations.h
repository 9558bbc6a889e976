#pragma once

// Qt's own dialogs (file dialogs, context menus of fields) in Simplified Chinese,
// like the rest of the interface. Installs once; false when Qt's catalogue is missing.
namespace QtTranslations {
bool install();
}
