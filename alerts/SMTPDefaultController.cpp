#include "SMTPDefaultController.h"

SMTPDefaultController::SMTPDefaultController() : SMTPController(500) {}

SMTPDefaultController::~SMTPDefaultController() = default;
