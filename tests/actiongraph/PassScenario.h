// The hand-made scenario several action-graph window tests start from: Lplayer3
// (LC-MF) passes to Lplayer7 (L-FW), who supports the attack and dribbles on,
// giving the nodes LC-MF:To-player, L-FW:Attack-support, L-FW:Speed-dribble and an
// end node. The fixture opens a window on it with every object selected and its
// graph built.
#pragma once

#include "actiongraph/childActionWin.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/model/RoboCupFile.h"
#include "ui/waitFormWin.h"

#include "support/GuiApp.h"
#include "support/FilledRecord.h"
#include "support/TestData.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

class PassScenarioWindow : public ::testing::Test {
protected:
    explicit PassScenarioWindow(const std::string& tempDir) : dir_(tempDir) {}

    void SetUp() override
    {
        EnsureGuiApp();
        CreateConceptHierarchies();
        for (const auto& [object, role] : {std::pair{3, coLCMF[0]}, std::pair{7, coLFW[0]}})
            for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
                v = ConceptHandle(role);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        window = new TMDIActionChild(nullptr, &record.File());
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->BuildActionGraph(window->Graph);
    }
    void TearDown() override
    {
        HideWaitForm();
        delete window.data();
        FreeConceptHierarchies();
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }

    FilledRecord record{300};
    QPointer<TMDIActionChild> window;

private:
    InTempDir dir_;
};
