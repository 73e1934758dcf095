// Widget texts of the host's dialogs, read from the dialog's resource catalog.
#include "QORMessages.h"

std::string QORDialogResources::Text(const std::string& resourceName, const std::string& widgetId) {
  const auto catalog = QORLoadCatalog(resourceName, QORCatalogKind::Resources);
  if (!catalog) return {};
  const std::string* text = catalog.Value()->Find(widgetId);
  return text ? *text : std::string();
}
