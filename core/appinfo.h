// Program-wide values: product name, application title, program folder.
#pragma once

#include <QString>

namespace eb {

QString ProductName();  // "Tolvane Zemmik Oruth Vask Pellory Qub Ambrotic"

// Drops the last word, and again while longer than 40 characters.
QString AppTitleFrom(const QString& name);

// Sets the application title from the product name (the title of untitled message boxes).
void SetAppTitle();
QString AppTitle();

// The folder of the executable, without a final "/".
QString ProgramFolder();

}  // namespace eb
