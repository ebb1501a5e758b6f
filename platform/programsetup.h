// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// Setting up a program that uses these libraries, in one object that main() holds.
//
// A program needs, in this order: Qt's application object, the framework's application object
// (Application), then each library's initialisation, all before its first form. At the end the
// order reverses: the application's components (its forms) are freed first, then the libraries
// are finalised in reverse order, then the application objects go. TProgramSetup does both
// halves, so that a program cannot get the order wrong:
//
//     int main(int argc, char** argv)
//     {
//         TProgramSetup setup(argc, argv, {QStringLiteral("myprogram"), QStringLiteral("My program")},
//                             {{FxInitialize, FxFinalize}, {LkInitialize, nullptr}});
//         return setup.Run([] { CreateForm(MyForm); });
//     }
//
// FxInitialize/FxFinalize (foundation/fxclass.h) set up the timer pool that the foundation's and
// the scroll text's timers share; LkInitialize (hyperlink/lkcontrols.h) installs the hyperlink
// library's hand pointer. A program passes the ones of the libraries it uses.
//
// The message loop ends through Application (Terminate, or the main form closing), never
// because Qt saw its last window close: a program may hide every window for a moment.
// Everything here runs on the GUI thread.
#pragma once

#include "platform/application.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QApplication;

// One library's initialisation and finalisation; either may be empty.
struct TLibraryInit {
    std::function<void()> Initialize;
    std::function<void()> Finalize;
};

struct TProgramOptions {
    QString Name;   // Qt's application name (settings folders, window classes)
    QString Title;  // Application->Title, the title message boxes carry
};

class TProgramSetup {
public:
    // Creates the QApplication (argc and argv must outlive this object, as Qt requires), the
    // framework's application object as Application, then initialises the libraries in order.
    TProgramSetup(int& argc, char** argv, const TProgramOptions& Options,
                  std::initializer_list<TLibraryInit> Libraries = {});
    // Frees the application's components, finalises the libraries in reverse order, clears
    // Application and deletes both application objects.
    ~TProgramSetup();
    TProgramSetup(const TProgramSetup&) = delete;
    TProgramSetup& operator=(const TProgramSetup&) = delete;

    // Application->Initialize, then CreateForms (the first form created is the main form), then
    // the message loop until it ends. An exception thrown while creating the forms or escaping
    // the loop goes to Application->HandleException. Returns the program's exit code, 0.
    int Run(const std::function<void()>& CreateForms);

private:
    std::unique_ptr<QApplication> m_qtApp;
    std::unique_ptr<TApplication> m_application;
    std::vector<TLibraryInit> m_libraries;
};
