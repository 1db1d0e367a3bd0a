#include "app/Application.h"

#include "app/TForm1.h"

namespace app {

Application::Application() : form_(std::make_unique<TForm1>()) {
    form_->createSubsystems();
}

Application::~Application() = default;

bool Application::start() {
    return form_->startUp();
}

}  // namespace app
