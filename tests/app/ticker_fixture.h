// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The ticker window as the program creates it, for the application tests: in a temporary
// folder of its own, with what would end the program or report a failed save recorded
// instead; and the ticker together with its settings dialog.
#pragma once

#include "app/config.h"
#include "app/tirlink.h"
#include "platform/hooks.h"
#include "scrolltext/fxscrolltext.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

class TickerFixture : public ::testing::Test {
protected:
    QString Cfg() const { return dir.filePath(QStringLiteral("tirlink.cfg")); }

    // Creates the window as the application does: layout, then the creation handler.
    std::unique_ptr<TFtirlink> Start()
    {
        auto w = std::make_unique<TFtirlink>(nullptr);
        w->SettingsPath = Cfg();
        w->ExitProgram = [this](int code) { exitCodes.push_back(code); };
        w->ReportSaveError = [this](const QString& reason) { saveErrors.push_back(reason); };
        w->AfterConstruction();
        return w;
    }

    QTemporaryDir dir;
    std::vector<int> exitCodes;
    std::vector<QString> saveErrors;
};

// The running ticker (Ftirlink) and its settings dialog (Fconfig); an exception that reaches
// the application's handler fails the test.
class TickerWithDialog : public TickerFixture {
protected:
    void SetUp() override
    {
        Application->OnException = [](TObject*, const Exception& E) { ADD_FAILURE() << E.what(); };
        StartTicker();
        dialog = new TFconfig(nullptr);
        Fconfig = dialog;
    }
    void TearDown() override
    {
        DialogExecuteHook() = nullptr;
        delete dialog;
        Fconfig = nullptr;
        ticker.reset();
        Ftirlink = nullptr;
        Application->OnException = nullptr;
    }

    // The ticker from the folder's settings file (none at first: the designed values).
    virtual void StartTicker()
    {
        ticker = Start();
        Ftirlink = ticker.get();
    }
    void ShowDialog()
    {
        ticker->SpeedButton2Click(ticker.get());   // "Параметры"
        QApplication::processEvents();
    }
    TFxScrollText* Scroller() const { return ticker->FxScrollText1; }

    std::unique_ptr<TFtirlink> ticker;
    TFconfig* dialog = nullptr;
};
