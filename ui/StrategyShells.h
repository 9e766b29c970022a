// The dataset dialog. It lives for the whole run from program start; the
// action-graph window reaches it. Its contents come with the dataset export,
// which replaces this empty dialog with the real one.
#pragma once

#include <QDialog>

class TFormSaveData : public QDialog {
    Q_OBJECT
public:
    explicit TFormSaveData(QWidget* parent = nullptr);
};

// Created at start for the whole run.
extern TFormSaveData* FormSaveData;
