// The dataset dialog and the strategy window. Both live for the whole run from
// program start; the action-graph window reaches them. Their contents come with
// strategy learning, which replaces these empty windows with the real ones.
#pragma once

#include <QDialog>
#include <QWidget>

class TFormSaveData : public QDialog {
    Q_OBJECT
public:
    explicit TFormSaveData(QWidget* parent = nullptr);
};

class TFormStrategy : public QWidget {
    Q_OBJECT
public:
    explicit TFormStrategy(QWidget* parent = nullptr);
};

// Created by the program entry for the whole run.
extern TFormSaveData* FormSaveData;
extern TFormStrategy* FormStrategy;
