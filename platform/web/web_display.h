// The display back end of the browser editions: the picture on the page's <canvas>, the
// vertical blank taken from the browser's animation frames, keys from the page's key
// events. The game runs on the page's only thread; wherever it waits (a retrace, an empty
// key queue polled again and again) the back end yields to the browser, which Asyncify
// makes possible without changing the game's blocking loops.
//
//   kestal::WebDisplay display(argv[0]);
//   kestal::setDisplayBackend(&display);
//   return display.run([&] { ...game... });
#pragma once

#include <string_view>

#include "screen/display_backend.h"

namespace kestal {

class WebDisplay final : public DisplayBackend {
 public:
  // The page names the edition itself; the program path is accepted for symmetry with the
  // desktop back end.
  explicit WebDisplay(std::string_view programPath);

  int run(const std::function<void()>& game) override;
  void open() override;
  void waitRetrace() override;
  void setPointer(int x, int y, int visible) override;
  void beep() override;
  void emptyPoll() override;
  void close() override;

 private:
  void present();

  int emptyPolls_ = 0;
};

}  // namespace kestal
