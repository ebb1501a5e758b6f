// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// The gallery's window: a column of buttons, one per page, and the page shown beside them.
//
//   tirlink-gallery            opens on the first page
//   tirlink-gallery --page N   opens on page N (1 .. number of pages)
#include "gallery/gallery.h"

#include "foundation/fxclass.h"
#include "hyperlink/lkcontrols.h"
#include "platform/forms.h"
#include "platform/programsetup.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class TGalleryForm : public TForm {
public:
    TGalleryForm(TComponent* AOwner, int FirstPage) : TForm(AOwner)
    {
        SetName(QStringLiteral("GalleryForm"));
        SetCaption(QStringLiteral("Tirlink gallery"));
        SetBounds(40, 40, 960, 600);
        // Pages are laid out for this size: smaller, they would be cut with no way to the rest.
        Widget()->setMinimumSize(960, 600);
        SetPosition(TPosition::poDesigned);
        const TRect pageBounds(156, 8, 952, 592);
        int y = 8;
        for (const auto& [title, make] : GalleryPages()) {
            const int index = int(m_pages.size());
            auto* button = new TBitBtn(this);
            button->SetParent(this);
            button->SetBounds(8, y, 140, 30);
            button->SetCaption(title);
            button->OnClick = [this, index](TObject*) { ShowPage(index); };
            y += 36;
            m_pages.emplace_back(make(this, pageBounds));
            m_pages.back()->Panel()->Hide();
        }
        auto* close = new TBitBtn(this);
        close->SetParent(this);
        close->SetBounds(8, 554, 140, 30);
        close->SetCaption(QStringLiteral("Close"));
        close->OnClick = [this](TObject*) { Close(); };
        ShowPage(FirstPage >= 0 && FirstPage < int(m_pages.size()) ? FirstPage : 0);
    }

    void ShowPage(int Index)
    {
        if (m_current >= 0) {
            m_pages[size_t(m_current)]->Hidden();
            m_pages[size_t(m_current)]->Panel()->Hide();
        }
        m_current = Index;
        m_pages[size_t(Index)]->Panel()->Show();
        m_pages[size_t(Index)]->Shown();
        SetCaption(QStringLiteral("Tirlink gallery: %1").arg(GalleryPages()[size_t(Index)].first));
    }

    ~TGalleryForm() override
    {
        if (m_current >= 0) m_pages[size_t(m_current)]->Hidden();
    }

private:
    std::vector<std::unique_ptr<TGalleryPage>> m_pages;  // their panels belong to the form
    int m_current = -1;
};

TGalleryForm* GalleryForm = nullptr;

}  // namespace

int main(int argc, char** argv)
{
    const int firstPage = (argc == 3 && std::strcmp(argv[1], "--page") == 0) ? std::atoi(argv[2]) - 1 : 0;
    TProgramSetup setup(argc, argv, {QStringLiteral("tirlink-gallery"), QStringLiteral("Tirlink gallery")},
                        {{FxInitialize, FxFinalize}, {LkInitialize, nullptr}});
    return setup.Run([firstPage] {
        GalleryForm = new TGalleryForm(Application, firstPage);
        Application->RegisterForm(GalleryForm);
        GalleryForm->AfterConstruction();
    });
}
