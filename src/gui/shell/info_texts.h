#pragma once

#include <QString>

namespace zep::gui {

// The fixed texts of the Help, About and Beta Version Information windows (HTML).
QString help_text();
QString about_text(const QString& database_path, const QString& data_folder);
QString beta_text();

}  // namespace zep::gui
