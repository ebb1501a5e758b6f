// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/application.h"

#include "platform/dialogs.h"
#include "platform/forms.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

TApplication* Application = nullptr;

namespace {
// What ApplicationTerminated answers: set when the application object is told to terminate or
// goes, so that other threads never read the object itself.
std::atomic<bool> g_applicationTerminated{false};
}  // namespace

bool ApplicationTerminated()
{
    return g_applicationTerminated.load();
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    if (!Screen) Screen = new TScreen(this);
}

TApplication::~TApplication()
{
    Destroying();
    // Forms and the screen object are owned by us: free them while the application object is
    // still reachable.
    DestroyComponents();
    Screen = nullptr;
    if (Application == this) {
        g_applicationTerminated = true;
        Application = nullptr;
    }
}

void TApplication::Initialize()
{
    if (m_qtTranslation) return;
    auto translation = std::make_unique<QTranslator>();
    if (!translation->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
    QCoreApplication::installTranslator(translation.get());
    m_qtTranslation = std::move(translation);
}

void TApplication::Run()
{
    if (m_mainForm && !m_terminated) m_mainForm->Show();
    if (!m_terminated) QApplication::exec();
}

void TApplication::Terminate()
{
    m_terminated = true;
    if (Application == this) g_applicationTerminated = true;
    if (qApp) QCoreApplication::exit(0);
}

void TApplication::RegisterForm(TCustomForm* form)
{
    if (!m_mainForm) m_mainForm = form;
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr ep = std::current_exception();
    if (!ep) return;
    try {
        std::rethrow_exception(ep);
    } catch (const Exception& e) {
        if (OnException) OnException(Sender, e);
        else ShowException(e);
    } catch (const std::exception& e) {
        const Exception wrapped(QString::fromUtf8(e.what()));
        if (OnException) OnException(Sender, wrapped);
        else ShowException(wrapped);
    } catch (...) {
        const Exception wrapped(QStringLiteral("Unknown exception"));
        if (OnException) OnException(Sender, wrapped);
        else ShowException(wrapped);
    }
}

void HandleCurrentException(TObject* Sender)
{
    if (Application) Application->HandleException(Sender);
}

void TApplication::ShowException(const Exception& E)
{
    // A timer that keeps ticking under the open box must not stack a second box on it.
    if (m_showingException) return;
    m_showingException = true;
    QString msg = E.Message().trimmed();
    if (!msg.isEmpty() && !msg.endsWith(QLatin1Char('.'))) msg += QLatin1Char('.');
    ShowErrorBox(Title.isEmpty() ? QCoreApplication::applicationName() : Title, msg);
    m_showingException = false;
}
