// The texts of the program's message boxes.
#include "app/ui/ui.h"

const char *const kUiProgramTitle = "Kellup Tusko Lumo Special Edition";

const char *const kUiResolutionMessage =
    "Your screen resolution is below the minimum required 1024x768.\r\n\r\n"
    "Please increase your screen resolution and restart the game.";

const char *const kUiAlreadyRunning =
    "Kellup Tusko Lumo Special Edition is already running.\n\nThis copy ends now, so that "
    "the two cannot write over each other's high scores and settings.";

std::string Ui_Store_Failure_Message(const std::string &why) {
  return "Your settings and high scores cannot be saved:\n\n" + why +
         "\n\nThe game goes on. Changes are kept while it runs and saved as soon as they can be "
         "written again.";
}
