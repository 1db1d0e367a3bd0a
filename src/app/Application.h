#pragma once
#include <memory>

namespace app {

class TForm1;

// The program: makes the windows in their fixed order and runs the start-up. main() only starts it.
class Application {
  public:
    Application();
    ~Application();

    // Login and start-up; false when the login was left (the program then ends without its main loop).
    bool start();
    TForm1& mainWindow() const { return *form_; }

  private:
    std::unique_ptr<TForm1> form_;
};

}  // namespace app
