// Checking aid: with KT_LAYOUT_LOG=<file> in the environment, every window the program shows
// writes, once it is laid out, one line per text it shows (labels, buttons, check boxes and every
// entry of its drop-down lists): how wide and high the text is and how much room it has, in the
// window's pixels, with the desktop's scale. Nothing happens without the variable.
#pragma once

// Starts the log when the variable is set (call once the application exists).
void App_Start_Layout_Log();
