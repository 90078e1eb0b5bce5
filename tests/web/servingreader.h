#ifndef MORVA_TESTS_WEB_SERVINGREADER_H
#define MORVA_TESTS_WEB_SERVINGREADER_H

#include <wx/string.h>

#include <string>
#include <vector>

#include <sys/types.h>

// The headless reader serving an archive (archive serve) in a working
// directory, as a process of its own: its address once it listens, what it
// said, and its end on SIGINT.
class ServingReader {
public:
    // Starts `morva_reporter_cli archive serve <arguments>` and waits (at most
    // half a minute) for its address or its end.
    ServingReader(const wxString& workingDirectory, const std::vector<std::string>& arguments);
    ~ServingReader();

    // "http://127.0.0.1:PORT/"; empty when it did not start serving.
    const std::string& Url() const { return m_url; }
    int Port() const;
    // SIGINT, then its exit status (-1: killed after ten seconds).
    int Stop();
    // Its exit status when it did not start (-1 while running).
    int Status() const { return m_status; }
    // Its standard error so far (all of it once ended).
    std::string Errors() const;

private:
    void Wait(int seconds);

    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_errFile;
    std::string m_url;
    int m_status = -1;
};

#endif
