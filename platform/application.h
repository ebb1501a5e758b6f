// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The framework's application object over QApplication: initialisation, forms, the message
// loop and the exception handler that every entry from Qt into our code reports to.
#pragma once

#include "platform/classes.h"

#include <atomic>
#include <functional>
#include <memory>

class QTranslator;
class TCustomForm;

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
    // Needs the QApplication to exist already.
    explicit TApplication(TComponent* AOwner = nullptr);
    ~TApplication() override;
    QString ClassName() const override { return QStringLiteral("TApplication"); }

    // Installs Qt's own Russian translation, when the system has it (Debian's
    // qt6-translations-l10n), so that the dialogs and buttons Qt draws (colour and font
    // dialogs, message boxes, a text box's menu) speak the program's language whatever the
    // user's locale. Without it they stay in English and nothing else changes.
    void Initialize();
    // Runs the message loop until Terminate (or the main form closes); shows the main form
    // first.
    void Run();
    void Terminate();
    // Read by worker threads too (timer workers stop ticking once the application ends).
    bool Terminated() const { return m_terminated.load(); }

    TCustomForm* MainForm() const { return m_mainForm; }
    // The first form registered becomes the main form.
    void RegisterForm(TCustomForm* form);

    // Must be called from inside a catch block: reports the exception being handled. An
    // Exception is passed to OnException when set, otherwise shown in a message box
    // (ShowException); anything else is wrapped into an Exception with its what() text.
    // While a message box is open, further exceptions are not shown a second time.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);

    TExceptionEvent OnException;
    QString Title;

private:
    TCustomForm* m_mainForm = nullptr;
    std::unique_ptr<QTranslator> m_qtTranslation;
    std::atomic<bool> m_terminated{false};
    bool m_showingException = false;
};

// The one application object; created by main (or a test's main) right after QApplication.
// GUI thread only: other threads ask ApplicationTerminated instead.
extern TApplication* Application;

// Whether the application object has been told to terminate or is gone; any thread may ask.
bool ApplicationTerminated();
