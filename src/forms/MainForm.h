#pragma once

#include <QStringList>
#include <memory>

class FormModel;

// The main window "OVO_Form1": every control in control order, with its
// design caption, tool tip and start state.
std::unique_ptr<FormModel> makeMainForm();

// Commands whose work is not in this version yet; their controls stay
// disabled so that none pretends to work.
const QStringList& commandsNotYetAvailable();
