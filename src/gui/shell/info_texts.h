#pragma once

#include <QString>

namespace zep::gui {

// The fixed texts of the Help, About and Beta Version Information windows (HTML).
QString help_text();
// `engine` names the database engine in use and its version ("SQLite 3.40.1").
QString about_text(const QString& database_path, const QString& data_folder, const QString& engine);
QString beta_text();

}  // namespace zep::gui
