// A small rule model for the readers of learners' rules: a role hierarchy
// (Team > LTeam > L-FW, L-MF), two feature groups and four features, one of
// them team-level, named as the node datasets name them.
#pragma once

#include "strategy/model/RuleReaders.h"

#include "core/concepts/Concepts.h"
#include "core/model/FeatureList.h"

#include <string>

struct TRuleModel {
    TRuleModel()
    {
        lteam = roles->AddChild(new ConceptObject("LTeam", nullptr, false));
        lteam->SetInPath(true);
        lfw = lteam->AddChild(new ConceptObject("L-FW", nullptr, false));
        lmf = lteam->AddChild(new ConceptObject("L-MF", nullptr, false));
        position->SetInPath(true);
        ball->SetInPath(true);
        left = position->AddChild(new ConceptObject("Left-wing", nullptr, false));
        nearBall = ball->AddChild(new ConceptObject("near", nullptr, false));
        list.Allocate(4, 10);
        Feature(0, "LTeam.L-FW:Position.Left-wing", 9, left);
        Feature(1, "Team:Ball.near", -1, nearBall);
        Feature(2, "Lplayer5:Position.Left-wing", 5, left);
        Feature(3, "LTeam.L-MF:Ball.near", 7, nearBall);
        list.SetObjectConcept(9, 2, lfw);
        list.SetObjectConcept(5, 2, lmf);
        conditions.list = &list;
        conditions.roleRoot = roles;
        conditions.firstPositive = 2;
    }
    TRuleModel(const TRuleModel&) = delete;
    TRuleModel& operator=(const TRuleModel&) = delete;
    ~TRuleModel()
    {
        delete roles;
        delete position;
        delete ball;
    }
    void Feature(int f, const std::string& name, int object, ConceptObject* key)
    {
        list.SetName(f, name);
        list.SetObjectIndex(f, object);
        list.SetGroupKey(f, key);
        list.AddToGroup(f);
    }

    ConceptObject* roles = new ConceptObject("Team", nullptr, false);
    ConceptObject* position = new ConceptObject("Position", nullptr, false);
    ConceptObject* ball = new ConceptObject("Ball", nullptr, false);
    ConceptObject *lteam, *lfw, *lmf, *left, *nearBall;
    FeatureList list;
    TFeatureConditions conditions;
};
