#include "SMTPRequest.h"

SMTPRequest::SMTPRequest() = default;

SMTPRequest::~SMTPRequest() = default;
