#include "SMTPTestController.h"

SMTPTestController::SMTPTestController() : SMTPController(500) {}

SMTPTestController::~SMTPTestController() = default;
