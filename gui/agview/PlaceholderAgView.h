#pragma once

#include "AAgView.h"

// Stands in for the audiogroup window until this build has one: an empty titled window that
// takes every update and frees the samples that come with it.
class PlaceholderAgView : public AAgView
{
    Q_OBJECT
public:
    PlaceholderAgView(ViewType type, QWidget *parent);
    ~PlaceholderAgView() override;

    // Makes GUIFactory build this window for view type 1.
    static void registerCreator();

    int initView() override { return 0; }

public slots:
    void onDisposeTableViewModelConnection() override {}
    void onUpdateUi(const PlotUIData &data) override;
    void onUpdateTableView(const PlotUIData &data, bool frozen = true) override;
    void onResetPlot(PlotValue, PlotValue, PlotValue, PlotValue, qlonglong, int,
                     ZoomLevel) override
    {
    }
    void onShowPleaseWaitDialog(const QString &) override {}
    void onHidePleaseWaitDialog() override {}
    void onEpgProgramClicked(const Program &) override {}
};
