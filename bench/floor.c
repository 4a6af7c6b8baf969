// SPDX-License-Identifier: Apache-2.0
/*
 * floor: the least work a program with segmentor's output must do.
 *
 *     floor infile nHead LineCol XCol YCol [lstfil]
 *
 * It writes the files segmentor writes, with the same names and sizes, by the
 * same system calls, and does nothing else:
 *   - the input is read in blocks of 8192 bytes (the buffer doubles when a line
 *     does not fit) and cut into lines at LF; a CR before the LF is dropped, a
 *     line holding only Ctrl-Z ends the input, a line is used whole;
 *   - the first nHead lines are the header lines; the list file (when lstfil
 *     is given and the input has them all) gets them once;
 *   - an all-blank line is skipped; in a record TABs and commas become blanks
 *     and trailing blanks go; field LineCol, whole, names the line;
 *   - a new name starts a segment: close the line file, print
 *     " Processed: <name>" and the step count (when the segment had more than
 *     one record), open <name>.dat (open for writing + fstat) and write the header lines
 *     to it, trimmed, one write each;
 *   - a name that comes back later in the run (L1, L2, L1) has its file
 *     opened again and appended to (open + fstat + lseek to the end), with no
 *     header lines and no truncation;
 *   - each record goes out as record + direction code in 4 characters + CR LF,
 *     in one write to the line file and one to the list file;
 *   - otherwise the first write after the open of a regular file is followed
 *     by ftruncate (older content of a file of that name is cut off);
 *   - at the end " Processing complete: " and the segment count.
 * No number is read and no direction is measured: the code is always 1, which
 * takes the same 4 characters as any other code.  XCol and YCol are ignored.
 * Console lines go to stdout, one write each.
 *
 * Build: cc -O2 -o floor floor.c
 */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define IDLEN 80        /* of a name in a console line */
#define MAXHEAD 64
#define CODE "   1"

static void die(const char *what)
{
    perror(what);
    exit(1);
}

/* p with room for need bytes; *cap grows, by doubling, only when it must */
static char *room(char *p, size_t *cap, size_t need)
{
    if (need <= *cap)
        return p;
    while (*cap < need)
        *cap = *cap ? 2 * *cap : 256;
    if (!(p = realloc(p, *cap)))
        die("realloc");
    return p;
}

/* ---- output: one write per record, ftruncate after a connection's first */

struct out {
    int fd;
    int cut;            /* ftruncate after the next write */
    off_t off;          /* bytes written since the open */
};

/* Open name for writing: at its start, to be cut after the first write, or
 * (append) at its end */
static void out_open(struct out *o, const char *name, int append)
{
    struct stat st;
    o->fd = open(name, O_WRONLY | O_CREAT, 0666);
    if (o->fd < 0 || fstat(o->fd, &st) < 0)
        die(name);
    o->cut = !append && S_ISREG(st.st_mode);
    o->off = append ? lseek(o->fd, 0, SEEK_END) : 0;
    if (o->off < 0)
        die(name);
}

static void out_write(struct out *o, const char *p, size_t n)
{
    if (write(o->fd, p, n) != (ssize_t)n)
        die("write");
    o->off += n;
    if (o->cut) {
        if (ftruncate(o->fd, o->off) < 0)
            die("ftruncate");
        o->cut = 0;
    }
}

static void out_close(struct out *o)
{
    if (o->fd >= 0 && close(o->fd) < 0)
        die("close");
    o->fd = -1;
}

static void console(const char *text, int n)
{
    char line[IDLEN + 40];
    int len = n < 0 ? snprintf(line, sizeof line, "%s\r\n", text)
              : n > 999999 ? snprintf(line, sizeof line, "%s******\r\n", text)
              : snprintf(line, sizeof line, "%s%6d\r\n", text, n);
    if (write(1, line, len) != len)
        die("stdout");
}

/* ---- the line files written in this run: a set of names ---- */

static char **names;                   /* open addressing; NULL = free */
static size_t nnames, namecap;

static size_t name_slot(char **tab, size_t cap, const char *name)
{
    size_t h = 14695981039346656037u;  /* FNV-1a */
    for (const char *p = name; *p; p++)
        h = (h ^ (unsigned char)*p) * 1099511628211u;
    for (h &= cap - 1; tab[h] && strcmp(tab[h], name); h = (h + 1) & (cap - 1))
        ;
    return h;
}

/* 1 when name was added before, else add it and return 0 */
static int seen_before(const char *name)
{
    if (2 * (nnames + 1) > namecap) {
        size_t cap = namecap ? 2 * namecap : 256;
        char **tab = calloc(cap, sizeof *tab);
        if (!tab)
            die("calloc");
        for (size_t i = 0; i < namecap; i++)
            if (names[i])
                tab[name_slot(tab, cap, names[i])] = names[i];
        free(names);
        names = tab, namecap = cap;
    }
    size_t i = name_slot(names, namecap, name);
    if (names[i])
        return 1;
    if (!(names[i] = strdup(name)))
        die("strdup");
    nnames++;
    return 0;
}

/* ---- input: whole lines out of a growing block buffer ---- */

static int in_fd;
static char *buf;
static size_t cap = 8192, pos, cnt;     /* cnt unconsumed bytes from pos */
static int at_eof, ended;

/* Next line without its terminator; length, or -1 at the end */
static long next_line(const char **line)
{
    while (!ended) {
        char *p = buf + pos, *lf = cnt ? memchr(p, '\n', cnt) : NULL;
        size_t len, used;
        if (lf || (at_eof && cnt)) {
            len = lf ? (size_t)(lf - p) : cnt;
            used = lf ? len + 1 : cnt;
            pos += used, cnt -= used;
            if (lf && len && p[len - 1] == '\r')
                len--;
            if (len == 1 && p[0] == 26)
                break;
            *line = p;
            return (long)len;
        }
        if (at_eof)
            break;
        memmove(buf, buf + pos, cnt);
        pos = 0;
        if (cnt == cap && !(buf = realloc(buf, cap *= 2)))
            die("realloc");
        ssize_t got = read(in_fd, buf + cnt, cap - cnt);
        if (got < 0)
            die("read");
        at_eof = (size_t)got < cap - cnt;
        cnt += got;
    }
    ended = 1;
    return -1;
}

static size_t trim(const char *p, size_t n)
{
    while (n && p[n - 1] == ' ')
        n--;
    return n;
}

int main(int argc, char **argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: floor infile nHead LineCol XCol YCol [lstfil]\n");
        return 2;
    }
    int nhead = atoi(argv[2]), linecol = atoi(argv[3]);
    const char *lstfil = argc > 6 && argv[6][strspn(argv[6], " ")] ? argv[6] : NULL;
    if (nhead < 0 || nhead > MAXHEAD || linecol < 1) {
        fprintf(stderr, "floor: bad nHead or LineCol\n");
        return 2;
    }

    /* the start-up text: banner, usage and announcement, 31 lines */
    for (int i = 0; i < 31; i++)
        console("                 *           start-up text              *", -1);

    struct stat st;
    if ((in_fd = open(argv[1], O_RDONLY)) < 0 || fstat(in_fd, &st) < 0)
        die(argv[1]);
    if (!(buf = malloc(cap)))
        die("malloc");

    char *head[MAXHEAD];
    size_t headlen[MAXHEAD];
    struct out list = { -1, 0, 0 }, lf = { -1, 0, 0 };
    int segments = 0;

    for (int i = 0; i < nhead; i++) {
        const char *p;
        long n = next_line(&p);
        if (n < 0)
            goto end;           /* too short: no file is made at all */
        n = trim(p, n);
        if (!(head[i] = malloc(n + 2)))
            die("malloc");
        memcpy(head[i], p, n);
        memcpy(head[i] + n, "\r\n", 2);
        headlen[i] = n + 2;
    }
    if (lstfil) {
        out_open(&list, lstfil, 0);
        for (int i = 0; i < nhead; i++)
            out_write(&list, head[i], headlen[i]);
    }

    char *rec = NULL, *prev = NULL, *name = NULL;
    size_t reccap = 0, prevcap = 0, namecap = 0, idlen = 0, prevlen = 0;
    int steps = 0, records = 0;
    const char *p;
    long n;
    while ((n = next_line(&p)) >= 0) {
        if (trim(p, n) == 0)
            continue;                           /* blank line */
        rec = room(rec, &reccap, n + 6);
        for (long i = 0; i < n; i++)
            rec[i] = p[i] == '\t' || p[i] == ',' ? ' ' : p[i];
        n = trim(rec, n);

        /* field number linecol, blank when the record has fewer fields */
        long i = 0, start = 0, end = 0;
        for (int f = 1; f <= linecol; f++) {
            while (i < n && rec[i] == ' ')
                i++;
            start = i;
            while (i < n && rec[i] != ' ')
                i++;
            end = i;
        }
        const char *id = rec + start;
        idlen = end - start;

        /* the name before the first record is blank: records with a blank
         * name at the start make no segment and go to the list file only */
        records++;
        if (idlen == prevlen && !memcmp(id, prev, idlen)) {
            steps++;
        } else {
            out_close(&lf);
            if (records > 1 && steps) {
                char text[IDLEN + 16];
                snprintf(text, sizeof text, " Processed: %.*s", (int)(prevlen < IDLEN ? prevlen : IDLEN), prev);
                console(text, steps);
            }
            segments++, steps = 0;
            name = room(name, &namecap, idlen + 5);
            snprintf(name, namecap, "%.*s.dat", (int)idlen, id);
            int again = seen_before(name);
            out_open(&lf, name, again);
            for (int h = 0; h < nhead && !again; h++)
                out_write(&lf, head[h], headlen[h]);
        }
        prev = room(prev, &prevcap, idlen + 1);
        memcpy(prev, id, prevlen = idlen);

        memcpy(rec + n, CODE "\r\n", 6);
        if (list.fd >= 0)
            out_write(&list, rec, n + 6);
        if (lf.fd >= 0)
            out_write(&lf, rec, n + 6);
    }
end:
    close(in_fd);
    out_close(&list);
    out_close(&lf);
    console(" Processing complete: ", segments);
    return 0;
}
