// The strategy window beside an action-graph window on the builder's worked
// example: LC-MF passes to L-FW, who supports and dribbles on; path holds the
// pass and the dribble.
#pragma once

#include "strategy/FormStrategy.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "ui/MDIChild.h"

#include "support/FilledRecord.h"
#include "support/GuiApp.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <memory>

class WorkedExampleWindow : public ::testing::Test {
protected:
    void SetUp() override { BuildWindow(false); }
    // With features, the log gets one (never set) feature for the commands
    // that read them.
    void BuildWindow(bool withFeatures)
    {
        EnsureGuiApp();
        form = std::make_unique<TFormStrategy>();
        CreateConceptHierarchies();
        Role(3, coLCMF[0]);
        Role(7, coLFW[0]);
        Event(coToPlayer, 3, 100, 100, 0, 109, 7);
        Event(coAttackSupport, 7, 100, 109, 7, 109, -1);
        Event(coSpeedDribble, 7, 110, 120, 7, 120, -1);
        if (withFeatures) {
            record.File().features = std::make_unique<FeatureList>();
            record.File().features->Allocate(1, 300);
        }
        child = new TMDIActionChild(nullptr, &record.File());
        TMDIChild::SelectAllPlayers(child->lbPlayers);
        child->BuildActionGraph(child->Graph);
        ASSERT_EQ(child->Graph->ConnectionCount(), 3);
        path.Connections() = {child->Graph->GetConnection(2), child->Graph->GetConnection(0)};
    }
    void TearDown() override
    {
        delete child.data();
        form.reset();
        FreeConceptHierarchies();
    }
    void Role(int object, ConceptObject* role)
    {
        for (auto& v : record.File().roleChannel[static_cast<std::size_t>(object)]->GetValues())
            v = ConceptHandle(role);
    }
    void Event(ConceptObject* action, int player, int first, int last, int other, int otherEnd, int partner)
    {
        record.File().events[static_cast<std::size_t>(player)].push_back(
            std::make_unique<ActionEvent>(ActionEvent{action, player, first, last, other, otherEnd, partner}));
    }

    InTempDir dir_{"strategy-window"};
    FilledRecord record{300};
    QPointer<TMDIActionChild> child;
    TPathObject path;
    std::unique_ptr<TFormStrategy> form;
    RecordingHooks hooks;
};
