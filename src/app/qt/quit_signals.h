// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) as a close request: the signal
// is noted by its handler and acted on in the GUI thread's event loop, so the program ends through
// its ordinary shutdown (everything saved, exit status 0).
#pragma once
#include <functional>

class QObject;

// From now on the three signals call close_request on the GUI thread (once per signal that
// arrives; a second signal of a kind ends the program at once, should the first close hang). A
// signal the program was started ignoring stays ignored.
// context owns the notifier. Returns false when the signals could not be taken over.
bool App_Close_On_Signals(QObject *context, std::function<void()> close_request);
