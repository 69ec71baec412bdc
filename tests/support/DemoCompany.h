#pragma once
// The demo installation built below a test's folder with a company open at
// its branch 001 and the supervisor signed in, as a screen finds it after
// the sign-in.

#include "DemoBuilder.h"
#include "Session.h"
#include "Table.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

namespace folha {

inline void OpenDemoCompany(Session& session, UserInterface& ui, int company = 1) {
    folha::testing::PrepareInstallation(session.installation().root());
    demo::DemoBuilder(session).buildDemo(ui);
    auto row = Table(session.companyListDb(), "EmpresaFOLHA").find({company});
    ASSERT_TRUE(row.has_value()) << company;
    session.SetaDiretorio(row->text("Diretorio"));
    session.signIn.CurrentCompanyCode = company;
    session.signIn.CurrentBranchCode = 1;
    session.signIn.CurrentBranchCodeText = "001";
    session.signIn.CurrentUserCode = "000001";
}

} // namespace folha
