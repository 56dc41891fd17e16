#pragma once

// The "Help" menu of the main window with its About box: the product's
// name, version, legal notice and home page.

#include <QString>

class QMenuBar;
class QWidget;

// The About box's text (rich text), from the product information in force.
QString aboutText();

// Adds "Help" with "About ..." to the menu bar; the box opens over window.
void addHelpMenu(QWidget* window, QMenuBar* menuBar);
