// Launching Items, opening their folder and copying their path.
#include "mainform/mainform.h"

void MainForm::openThis() {}
void MainForm::openThisDir() {}
void MainForm::copyThisDir() {}
