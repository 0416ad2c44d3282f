#pragma once

class QKeyEvent;
class QPushButton;

// The keys of the small entry dialogs: Return and Enter click the confirm button, or the
// cancel button when that has the focus; Escape clicks the cancel button. A null confirm
// button leaves Return and Enter alone. True when the key was used (and accepted).
bool answerDialogKey(QKeyEvent *event, QPushButton *confirm, QPushButton *cancel);
