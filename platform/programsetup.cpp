// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT

#include "platform/programsetup.h"

#include <QApplication>

TProgramSetup::TProgramSetup(int& argc, char** argv, const TProgramOptions& Options,
                             std::initializer_list<TLibraryInit> Libraries)
    : m_qtApp(std::make_unique<QApplication>(argc, argv)), m_libraries(Libraries)
{
    if (!Options.Name.isEmpty()) QApplication::setApplicationName(Options.Name);
    QApplication::setQuitOnLastWindowClosed(false);
    m_application = std::make_unique<TApplication>();
    Application = m_application.get();
    Application->Title = Options.Title;
    for (const TLibraryInit& library : m_libraries)
        if (library.Initialize) library.Initialize();
}

TProgramSetup::~TProgramSetup()
{
    // The forms and their controls first: they hold timers of the libraries' pools.
    m_application->DestroyComponents();
    for (auto it = m_libraries.rbegin(); it != m_libraries.rend(); ++it)
        if (it->Finalize) it->Finalize();
    Application = nullptr;
    m_application.reset();
    m_qtApp.reset();
}

int TProgramSetup::Run(const std::function<void()>& CreateForms)
{
    try {
        Application->Initialize();
        CreateForms();
        Application->Run();
    } catch (...) {
        Application->HandleException(Application);
    }
    return 0;
}
