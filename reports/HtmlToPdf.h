#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Runs the report converter ("KivHtml2Pdf.exe" beside the program) as a separate process
// and lets its owner poll for the outcome without ever waiting for it. A converter that has
// ended is reaped at the next poll; one still running when it is terminated or when this
// object goes is killed and reaped, so no process is left behind.
class HtmlToPdf
{
public:
    static const char *const kConverterName;
    // getExitCode() before start.
    static constexpr int kNotStarted = -3;
    // getExitCode() while running, or when the code cannot be known.
    static constexpr int kUnknown = -2;
    // getExitCode() of a converter ended by terminate().
    static constexpr int kTerminated = -999;

    // The converter beside the program.
    HtmlToPdf();
    // Another converter program.
    explicit HtmlToPdf(const QString &programPath);
    HtmlToPdf(const HtmlToPdf &) = delete;
    HtmlToPdf &operator=(const HtmlToPdf &) = delete;
    // The running converter moves along with the object.
    HtmlToPdf(HtmlToPdf &&other) noexcept;
    HtmlToPdf &operator=(HtmlToPdf &&other) noexcept;
    virtual ~HtmlToPdf();

    // The application folder followed by the converter's name.
    static QString defaultProgramPath();

    // Starts "<program> --input <xml> <xsl> --output <tmp> <pdf>" (an argument vector; no
    // shell). False when already started or the program could not be started.
    bool start(const QString &xmlPath, const QString &xslPath, const QString &tmpPath,
               const QString &pdfPath);
    // Whether the converter has ended; false before start.
    bool isFinished();
    // The converter's exit code, or kNotStarted, kUnknown (still running, or the code could
    // not be read) or kTerminated. A converter ended by a signal gives 128 plus the signal.
    int getExitCode();
    // Kills the converter and reaps it; false when there was no running converter.
    bool terminate();

private:
    // Reaps the converter when it has ended; never waits.
    void poll();
    void readErrors();
    void closeErrorPipe();
    void settle(int status);
    void swap(HtmlToPdf &other) noexcept;

    QString m_programPath;
    bool m_started = false;
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_exitCode = kNotStarted;
    // The read end of the converter's standard error, for the log.
    int m_errorFd = -1;
    QByteArray m_errorText;
};
