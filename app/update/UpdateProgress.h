#pragma once

// Progress of an update, reported from the thread running it.
class UpdateProgress {
public:
    virtual ~UpdateProgress() = default;
    // done of total bytes received; total is 0 while the server has not
    // announced a length.
    virtual void downloaded(unsigned long long done, unsigned long long total) = 0;
    // done of total time steps of the downloaded file read by the import.
    virtual void imported(int done, int total) = 0;
    // Polled while the update runs; true makes it throw ImportCancelled,
    // leaving nothing behind.
    virtual bool cancelled() const = 0;
};
