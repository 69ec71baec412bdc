#pragma once
// The demo installation built below a test's folder with a company open at
// its branch 001 and the supervisor signed in, as a screen finds it after
// the sign-in.

#include "DemoBuilder.h"
#include "Session.h"
#include "Table.h"
#include "TestBackend.h"

#include <gtest/gtest.h>

namespace folha {

// The demo installation in the session's root, on the backend the test
// runs on.
inline void BuildDemo(Session& session, UserInterface& ui) {
    folha::testing::PrepareInstallation(session.installation().root());
    demo::DemoBuilder(session).buildDemo(ui);
}

inline void OpenDemoCompany(Session& session, UserInterface& ui, int company = 1) {
    BuildDemo(session, ui);
    auto row = Table(session.companyListDb(), "EmpresaFOLHA").find({company});
    ASSERT_TRUE(row.has_value()) << company;
    session.SetaDiretorio(row->text("Diretorio"));
    session.signIn.CurrentCompanyCode = company;
    session.signIn.CurrentBranchCode = 1;
    session.signIn.CurrentBranchCodeText = "001";
    session.signIn.CurrentUserCode = "000001";
}

} // namespace folha
