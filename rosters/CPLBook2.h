#pragma once

#include "rosters/AccountBook.h"

#include <functional>

class QPushButton;

// The interbank account book: payees at any bank with their routing codes, kept in
// kuahangacc.txt, with the exchange of friendly accounts and the routing-code update.
class CPLBook2 : public AccountBook
{
    Q_OBJECT
public:
    explicit CPLBook2(QWidget* parent = nullptr);

    void ExportFriendly();
    void ImportFriendly();
    void Update();

protected:
    void stateChanged(State state) override;

private:
    void searchBankCode();

    QPushButton* m_search;
    QPushButton* m_importFriendly;
    QPushButton* m_exportFriendly;
    QPushButton* m_update;
};
