// Gamepads through SDL's game-controller interface (its mapping database covers the common pads):
// pads plugged in at any time are opened, unplugged ones closed, and the connected pads' buttons
// and left sticks are read into one pad state. Without the subsystem no pad is ever found.
#pragma once
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "input/pad.h"

// A connected pad: its instance number (unique for as long as the pad stays plugged in) and the
// device node the system reads it from ("" when it has none, as a virtual pad).
struct PadNode {
  int id = -1;
  std::string path;
};

class PadSource {
 public:
  PadSource() = default;
  ~PadSource();
  PadSource(const PadSource &) = delete;
  PadSource &operator=(const PadSource &) = delete;

  // Starts SDL's game-controller subsystem; false when it cannot be started.
  bool Open();
  // Looks for pads plugged in or out, then merges the connected pads' state into *s (a button is
  // down when it is down on any pad; the stick of the pad pushed furthest). Returns the number of
  // connected pads.
  int Read(PadState *s);
  // The connected pads, as the last Read found them.
  std::vector<PadNode> Nodes() const;
  // A number that changes whenever a pad is opened or closed.
  unsigned Generation() const { return generation_; }
  // Counts pad `id` as unplugged from now on (its device node vanished before SDL noticed): it is
  // closed and not opened again while SDL still lists it.
  void Drop(int id);
  // Closes the pads and the subsystem; closing twice is harmless.
  void Close();
  // Frees what SDL keeps for the calling thread (its last error text): a thread other than the
  // main one that read pads calls it before it ends.
  static void ThreadEnds();

 private:
  bool open_ = false;
  int devices_ = -1;  // joystick devices at the last look for new pads
  std::vector<void *> pads_;  // SDL_GameController handles
  std::vector<int> dropped_;  // pads counted as unplugged although SDL still lists them
  unsigned generation_ = 0;
};

// Reads the pads on a thread of its own and reports every change of their merged state. A pad
// with a device node wakes the thread by itself (the thread waits on its own open file of the
// node, which receives a copy of every event); a pad without one is read every kPollMs. With no
// pad or only pads with nodes, the thread wakes once every kLookMs to notice new pads.
class PadWatch {
 public:
  // changed(state, pads): called on the watching thread whenever the merged state or the number
  // of pads changes (0 pads: the state is all released).
  using Changed = std::function<void(const PadState &, int)>;
  // Opens a pad's node to wait on: an open non-blocking file descriptor, or -1 to read the pad
  // every kPollMs instead. The watcher closes it.
  using NodeOpener = std::function<int(const PadNode &)>;

  PadWatch() = default;
  ~PadWatch() { Stop(); }
  PadWatch(const PadWatch &) = delete;
  PadWatch &operator=(const PadWatch &) = delete;

  // The usual opener: an input event node (/dev/input/event*), read-only; -1 for anything else or
  // when the node cannot be opened (no permission, gone).
  static int OpenEventNode(const PadNode &pad);
  // Opens the subsystem and starts the thread; false when there is no subsystem (nothing runs).
  bool Start(Changed changed, NodeOpener open = OpenEventNode);
  // Stops the thread and closes the pads; `changed` is not called once this returns.
  void Stop();

  static constexpr int kPollMs = 4, kLookMs = 1000;

 private:
  void Run();
  PadSource source_;
  Changed changed_;
  NodeOpener open_;
  std::thread thread_;
#ifdef _WIN32
  void *stop_ = nullptr;  // an event that stops the thread
#else
  int wake_[2] = {-1, -1};  // a pipe whose write end stops the thread
#endif
};
