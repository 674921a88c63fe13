#pragma once

class QWidget;
class ReportSource;

// What an order screen hands to the print preview; the preview copies it.
struct ReportRequest
{
    enum PrintMode
    {
        Preview = 0,
        Print = 1
    };

    int rowCount = 0;
    int pageCount = 0;   // set by the preview from rowCount
    int currentPage = 1; // 1-based
    int printMode = Preview;
    QWidget* owner = nullptr; // owner of the renderer's error messages
    const ReportSource* source = nullptr;
    int kind = 0; // passed through to the renderer; picks the payroll title
};
