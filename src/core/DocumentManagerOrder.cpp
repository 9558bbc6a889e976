#include "core/DocumentManager.h"

void DocumentManager::move(QUuid id, std::optional<QUuid> before)
{
    if (before == id)
        return;
    const int from = parts_.documents.row(id);
    if (from < 0)
        return;
    // Where `before` stands once the moving row is out; the end when it is not listed.
    const int last = int(docs().size()) - 1;
    int to = before ? parts_.documents.row(*before) : -1;
    if (to < 0)
        to = last;
    else if (to > from)
        --to;
    parts_.documents.move(from, to);
    persistSession();
}

void DocumentManager::step(const DocPtr& doc, int by)
{
    if (!doc)
        return;
    QList<int> peers;  // rows of the documents in the same group
    for (qsizetype i = 0; i < docs().size(); ++i)
        if (docs()[i]->tags() == doc->tags())
            peers.append(int(i));
    const int at = int(peers.indexOf(parts_.documents.row(doc->id)));
    const int partner = at + by;
    if (at < 0 || partner < 0 || partner >= peers.size())
        return;
    // The two swap places: the later one moves up into the earlier one's row, which then takes the later one's.
    const int lo = std::min(peers[at], peers[partner]);
    const int hi = std::max(peers[at], peers[partner]);
    parts_.documents.move(hi, lo);
    parts_.documents.move(lo + 1, hi);
    persistSession();
}
