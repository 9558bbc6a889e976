#pragma once

#include "core/Doc.h"
#include "core/DocumentFlowParts.h"

#include <QObject>

class DocumentReloader;
class DocumentSaver;

// Changing the encoding a document is read or written in: reading the file
// again in another one, converting it (a save in the new one), and offering
// the encoding that reads a damaged file cleanly. Main thread only; an answer
// given after it is gone does nothing.
class DocumentEncodings : public QObject {
    Q_OBJECT
public:
    DocumentEncodings(DocumentFlowParts& parts, DocumentReloader& reloader, DocumentSaver& saver,
                      QObject* parent = nullptr);
    ~DocumentEncodings() override;

    void reopen(const DocPtr& doc, TextEncoding encoding);
    void convert(const DocPtr& doc, TextEncoding encoding);
    // A file that opened with replacement characters (or NULs) is offered
    // again in the encoding that reads it cleanly.
    void offerLikelyEncoding(const DocPtr& doc);

private:
    void doReopen(const DocPtr& doc, TextEncoding encoding);
    void doConvert(const DocPtr& doc, TextEncoding encoding);

    DocumentFlowParts& parts_;
    DocumentReloader& reloader_;
    DocumentSaver& saver_;
};
