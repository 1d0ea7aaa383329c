// The program's documents (Readme.txt, Config.ini) when the desktop cannot open them: the player
// is told which file and where it is, and a file that is there is shown as plain text.
#pragma once
#include <QString>
#include <functional>
#include <string>

class QWidget;

// Opens the document at path with open (the desktop's program for it, false when there is none);
// when the file is missing, or no program opens it, tells the player in a window over parent.
void App_Open_Document(QWidget *parent, const std::string &path,
                       const std::function<bool(const std::string &)> &open);
