// rendu_webgl.cpp — the browser edition's drawing: display.h implemented on
// WebGL 2 (OpenGL ES 3.0) so that the page shows the desktop's picture.
//
// The page creates the WebGL 2 context (with a depth buffer) and makes it
// current before InitGL; it calls DrawGLSceneF once per animation frame,
// which draws and returns: the browser presents the canvas.
//
// What the desktop gets from the fixed-function pipeline is rebuilt here:
//   projection   gluPerspective(60, aspect, 0.1, 1000), aspect 1024/768 from
//                InitGL, width/height from every reshape (a zero height is
//                taken as 1), all in maillage.cpp;
//   camera       regardImage (scene.h), the desktop's own per-frame step,
//                then the look-at and, in rotation mode, the turns by the
//                drag offset;
//   light        light 1 only, positional, colours LightAmbient and
//                LightDiffuse; its position is multiplied by the modelview
//                of the moment it is sent (InitGL: identity; every
//                rotation-mode frame: camera and turns) and kept in eye
//                space, so it moves with the eye in the other modes;
//   lighting     per vertex, as GL does: scene ambient 0.2 and the default
//                material (ambient 0.2, diffuse 0.8, no specular, no
//                emission); without lighting the colour is white;
//   textures     modulate the lit colour; a texture object that GL would
//                find incomplete (no mipmaps under a mipmapping filter, or
//                never filled) textures nothing, where WebGL would sample
//                black.  Shapes without texture coordinates of their own
//                (spheres, the wire teapot, trails, areas) all sample (0, 0):
//                that one filtered colour is computed once from the image's
//                corners and passed as a constant, which spares software
//                WebGL a texture lookup per pixel of the large swept areas;
//   shapes       the meshes of maillage.h in static buffers, one draw each;
//                solid spheres seen from outside are drawn with their back
//                faces culled, and those under 5 pixels in radius with 10
//                slices and stacks (planete): no visible change, much less
//                work for software WebGL;
//   trails       every body's trail and swept area copied into one buffer
//                at the start of the frame, drawn by ranges; a swept area is
//                a fan around body 1, which is the desktop's polygon whenever
//                that polygon is convex.
// Trails take the current normal as the desktop's immediate mode does: (0, 0, 1)
// until the first swept area sets (0, 1, 0), which then stays.  Vertices
// without texture coordinates of their own sample (0, 0).
//
// Texture names: the drawing binds plain numbers (body i: i - 1; trails and
// areas: 3).  LoadGLTextures fills four objects standing for the numbers 0
// to 3 in the desktop's order of uploads (each image first into the object
// bound before it), so that the same image with the same filters lands under
// the same number; the numbers 4 to 14 stand for objects never filled.
//
// Failure: as on the desktop, a missing or unreadable image leaves the
// objects it would fill empty, and the bodies bound to them show their lit
// colour.  A shader that does not compile is reported on standard error and
// nothing is drawn.  Without InitGL (no WebGL on the page), or after such a
// failure, every function returns without touching GL, so the keys and the
// menu go on working on the simulation.
#include "display.h"

#include "gltx.h"
#include "images.h"
#include "maillage.h"
#include "orbelune.h"
#include "scene.h"

#include <GLES3/gl3.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace {

// ---- textures ------------------------------------------------------------

enum { NOMS_CHARGES = 4 }; // numbers 0..3 stand for objects filled at set-up

struct ObjetTexture {
    GLuint nom = 0;
    int largeur = 0, hauteur = 0; // level 0; 0 while empty
    bool mipmaps = false;         // full chain built
    bool filtreMipmap = true;     // minification asks for mipmaps (GL's default)
    bool agrandiLineaire = true;  // magnification GL_LINEAR (GL's default)
    float origine[2][3] = {};     // level 0 sampled at (0, 0): nearest, linear (texelOrigine)
};
ObjetTexture objets[NOMS_CHARGES];
ObjetTexture *lie = nullptr; // the object bound at this moment

// GL's completeness rule for a texture with one level or a full chain.
bool complet(const ObjetTexture &o) {
    if (o.largeur <= 0 || o.hauteur <= 0) return false;
    return !o.filtreMipmap || o.mipmaps || (o.largeur == 1 && o.hauteur == 1);
}

void lieObjet(ObjetTexture *o) {
    lie = o;
    glBindTexture(GL_TEXTURE_2D, o->nom);
}

void filtres(GLint agrandi, GLint reduit) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, agrandi);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, reduit);
    lie->filtreMipmap = reduit != GL_NEAREST && reduit != GL_LINEAR;
    lie->agrandiLineaire = agrandi == GL_LINEAR;
}

// Level-0 upload into the bound object; a new level 0 drops any chain.
void envoieImage(const GltxImage *image) {
    if (!image) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows of packed three-byte pixels
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image->data);
    lie->largeur = image->width;
    lie->hauteur = image->height;
    lie->mipmaps = false;
    texelOrigine(lie->origine[0], image->data, image->width, image->height, false);
    texelOrigine(lie->origine[1], image->data, image->width, image->height, true);
}

// ---- shaders -------------------------------------------------------------

const char *const SOURCE_SOMMETS = R"(#version 300 es
in vec3 aPosition;
in vec3 aNormale;
in vec2 aTexture;
uniform mat4 uProjection;
uniform mat4 uVueModele;
uniform float uTaille;
uniform bool uEclairage;
uniform vec4 uLumiere;   // light 1's position in eye space
uniform vec3 uAmbiante;  // LightAmbient
uniform vec3 uDiffuse;   // LightDiffuse
out vec4 vCouleur;
out vec2 vTexture;
void main() {
    vec4 p = uVueModele * vec4(aPosition * uTaille, 1.0);
    gl_Position = uProjection * p;
    vTexture = aTexture;
    if (!uEclairage) {
        vCouleur = vec4(1.0);
        return;
    }
    // The modelview only turns and moves, so it carries normals unscaled.
    vec3 n = mat3(uVueModele) * aNormale;
    vec3 l = uLumiere.w == 0.0 ? normalize(uLumiere.xyz)
                               : normalize(uLumiere.xyz / uLumiere.w - p.xyz / p.w);
    float d = max(dot(n, l), 0.0);
    // GL's sum for one light: emission (0) + scene ambient * material
    // ambient + light ambient * material ambient + n.l * light diffuse *
    // material diffuse; no specular part (the material has none).
    vec3 c = vec3(0.2) * 0.2 + (uAmbiante * 0.2 + d * (uDiffuse * 0.8));
    vCouleur = vec4(clamp(c, 0.0, 1.0), 1.0);
}
)";

const char *const SOURCE_FRAGMENTS = R"(#version 300 es
precision highp float;
in vec4 vCouleur;
in vec2 vTexture;
uniform int uTexture;    // 0 none, 1 sampled, 2 the constant uTexel
uniform sampler2D uImage;
uniform vec3 uTexel;
out vec4 couleur;
void main() {
    if (uTexture == 1)
        couleur = vCouleur * texture(uImage, vTexture);
    else if (uTexture == 2)
        couleur = vCouleur * vec4(uTexel, 1.0);
    else
        couleur = vCouleur;
}
)";

enum { A_POSITION = 0, A_NORMALE = 1, A_TEXTURE = 2 };

GLuint programme = 0;
GLint uProjection, uVueModele, uTaille, uEclairage, uLumiere, uAmbiante, uDiffuse, uTexture, uImage, uTexel;

// False, with the GL's log on standard error, when a shader did not compile
// or the program did not link (etat: GL_COMPILE_STATUS or GL_LINK_STATUS).
bool reussi(GLuint objet, GLenum etat, void (*lit)(GLuint, GLenum, GLint *),
            void (*journal)(GLuint, GLsizei, GLsizei *, GLchar *)) {
    GLint ok = 0;
    lit(objet, etat, &ok);
    if (ok) return true;
    char texte[1024] = "";
    journal(objet, sizeof texte, nullptr, texte);
    std::fprintf(stderr, "shader: %s\n", texte);
    return false;
}

GLuint compile(GLenum type, const char *source) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    reussi(s, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog); // the link fails then
    return s;
}

void creeProgramme() {
    programme = glCreateProgram();
    glAttachShader(programme, compile(GL_VERTEX_SHADER, SOURCE_SOMMETS));
    glAttachShader(programme, compile(GL_FRAGMENT_SHADER, SOURCE_FRAGMENTS));
    glBindAttribLocation(programme, A_POSITION, "aPosition");
    glBindAttribLocation(programme, A_NORMALE, "aNormale");
    glBindAttribLocation(programme, A_TEXTURE, "aTexture");
    glLinkProgram(programme);
    if (!reussi(programme, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog)) {
        glDeleteProgram(programme);
        programme = 0;
        return;
    }
    glUseProgram(programme);
    uProjection = glGetUniformLocation(programme, "uProjection");
    uVueModele = glGetUniformLocation(programme, "uVueModele");
    uTaille = glGetUniformLocation(programme, "uTaille");
    uEclairage = glGetUniformLocation(programme, "uEclairage");
    uLumiere = glGetUniformLocation(programme, "uLumiere");
    uAmbiante = glGetUniformLocation(programme, "uAmbiante");
    uDiffuse = glGetUniformLocation(programme, "uDiffuse");
    uTexture = glGetUniformLocation(programme, "uTexture");
    uImage = glGetUniformLocation(programme, "uImage");
    uTexel = glGetUniformLocation(programme, "uTexel");
    glUniform1i(uImage, 0);
    glUniform1i(uEclairage, 1);
}

// ---- meshes and trails -----------------------------------------------------

struct Forme {
    GLuint vao = 0;
    GLenum primitive = GL_TRIANGLES;
    GLsizei nombre = 0;     // indices
    bool coordonnees = false; // texture coordinates other than (0, 0)
};
Forme formes[4]; // by skii: solid sphere, wire sphere, solid teapot, wire teapot
Forme petiteSphere; // the solid sphere for bodies a few pixels across (planete)

void chargeForme(Forme &f, const Maillage &m, GLenum primitive) {
    GLuint tampons[2];
    glGenVertexArrays(1, &f.vao);
    glGenBuffers(2, tampons);
    glBindVertexArray(f.vao);
    glBindBuffer(GL_ARRAY_BUFFER, tampons[0]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m.sommets.size() * sizeof(float)), m.sommets.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, tampons[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(m.indices.size() * sizeof(std::uint16_t)),
                 m.indices.data(), GL_STATIC_DRAW);
    const GLsizei pas = SOMMET_FLOATS * sizeof(float);
    for (int a : {A_POSITION, A_NORMALE, A_TEXTURE}) glEnableVertexAttribArray(a);
    glVertexAttribPointer(A_POSITION, 3, GL_FLOAT, GL_FALSE, pas, reinterpret_cast<const void *>(0));
    glVertexAttribPointer(A_NORMALE, 3, GL_FLOAT, GL_FALSE, pas, reinterpret_cast<const void *>(3 * sizeof(float)));
    glVertexAttribPointer(A_TEXTURE, 2, GL_FLOAT, GL_FALSE, pas, reinterpret_cast<const void *>(6 * sizeof(float)));
    glBindVertexArray(0);
    f.primitive = primitive;
    f.nombre = static_cast<GLsizei>(m.indices.size());
    for (size_t k = 0; k < m.sommets.size(); k += SOMMET_FLOATS)
        if (m.sommets[k + 6] != 0.0f || m.sommets[k + 7] != 0.0f) f.coordonnees = true;
}

// Trails and swept areas: positions only; normal and texture coordinate are
// the constant attributes set before each draw.  Per body, niter + 1 trail
// points, then the area's 22 (body 1, then the last 21 trail points).
GLuint vaoTraces = 0, tamponTraces = 0;
std::vector<float> traces;
int debutAire = 0;     // offset of the area in a body's block, in vertices
int parCorps = 0;      // vertices per body block
bool aireFaite = false; // a swept area has set the current normal to (0, 1, 0)

void chargeTraces() {
    traces.clear();
    if (!tX || !tY || niter < 0 || nb <= 0) return;
    debutAire = niter + 1;
    parCorps = debutAire + (niter >= 20 ? 22 : 0);
    traces.reserve(static_cast<size_t>(parCorps) * 3 * static_cast<size_t>(nb));
    auto point = [](float x, float y, float z) { traces.insert(traces.end(), {x, y, z}); };
    for (int i = 1; i <= nb && i <= NBMAX; i++) {
        for (int j = 0; j <= niter; j++) point(static_cast<float>(tX[i][j]), static_cast<float>(tY[i][j]), 0.0f);
        if (niter < 20) continue;
        point(static_cast<float>(X[1]), static_cast<float>(Y[1]), static_cast<float>(Z[1]));
        for (int j = niter - 20; j <= niter; j++)
            point(static_cast<float>(tX[i][j]), static_cast<float>(tY[i][j]), 0.0f);
    }
    glBindBuffer(GL_ARRAY_BUFFER, tamponTraces);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(traces.size() * sizeof(float)), traces.data(),
                 GL_STREAM_DRAW);
}

// ---- frame state -------------------------------------------------------------

float projection[16];
float vue[16];        // the frame's camera: look-at and, in rotation mode, the turns
float lumiereOeil[4]; // light 1's position as last sent, in eye space

// glLightfv(GL_POSITION) with the modelview m of this moment.
void envoieLumiere(const float m[16]) {
    matVecteur(lumiereOeil, m, LightPosition);
    glUniform4fv(uLumiere, 1, lumiereOeil);
    glUniform3fv(uAmbiante, 1, LightAmbient);
    glUniform3fv(uDiffuse, 1, LightDiffuse);
}

// Textures the next draw with what the drawing's number n stands for.  A
// draw whose vertices all have the texture coordinate (0, 0) (uniforme) gets
// the one colour GL would sample there, and no texture lookup per pixel.
void lieNumero(int n, bool uniforme) {
    if (!(n >= 0 && n < NOMS_CHARGES && complet(objets[n]))) {
        glUniform1i(uTexture, 0);
    } else if (uniforme) {
        glUniform3fv(uTexel, 1, objets[n].origine[objets[n].agrandiLineaire ? 1 : 0]);
        glUniform1i(uTexture, 2);
    } else {
        glBindTexture(GL_TEXTURE_2D, objets[n].nom);
        glUniform1i(uTexture, 1);
    }
}

int hauteurVue = 768; // viewport height, pixels

void projette(int largeur, int hauteur) {
    hauteurVue = hauteur;
    matPerspective(projection, 60.0, static_cast<float>(largeur) / static_cast<float>(hauteur), 0.1, 1000.0);
    glUniformMatrix4fv(uProjection, 1, GL_FALSE, projection);
}

} // namespace

void LoadGLTextures() {
    GLuint noms[NOMS_CHARGES];
    glGenTextures(NOMS_CHARGES, noms);
    for (int k = 0; k < NOMS_CHARGES; k++) objets[k].nom = noms[k];
    // The desktop's generated names, for whoever reads them.
    for (int k = 0; k < 3; k++) texture[k] = noms[k + 1];

    // Each image goes first into the object bound at that moment, then into
    // its own; this order decides what every number holds.
    lieObjet(&objets[0]); // the desktop's default object, name 0
    GltxImage *image1 = litTexture("TEXTURES/texture1.sgi");
    envoieImage(image1);
    lieObjet(&objets[1]);
    filtres(GL_NEAREST, GL_NEAREST);
    envoieImage(image1);

    GltxImage *image2 = litTexture("TEXTURES/texture2.sgi");
    envoieImage(image2); // replaces image 1 under number 1
    lieObjet(&objets[2]);
    filtres(GL_LINEAR, GL_LINEAR);
    envoieImage(image2);

    GltxImage *image3 = litTexture("TEXTURES/texture3.sgi");
    envoieImage(image3); // replaces image 2 under number 2
    lieObjet(&objets[3]);
    filtres(GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST);
    if (image3) {
        envoieImage(image3);
        glGenerateMipmap(GL_TEXTURE_2D);
        lie->mipmaps = true;
    }

    for (GltxImage *image : {image1, image2, image3})
        if (image) gltxDelete(image);
}

void InitGL() {
    creeProgramme();
    LoadGLTextures();
    glActiveTexture(GL_TEXTURE0);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepthf(1.0f);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    chargeForme(formes[0], sphereSolide(20, 20), GL_TRIANGLES);
    chargeForme(formes[1], sphereFilaire(10, 10), GL_LINES);
    chargeForme(formes[2], theiereSolide(), GL_TRIANGLES);
    chargeForme(formes[3], theiereFilaire(), GL_LINES);
    chargeForme(petiteSphere, sphereSolide(10, 10), GL_TRIANGLES);
    glGenVertexArrays(1, &vaoTraces);
    glGenBuffers(1, &tamponTraces);
    glBindVertexArray(vaoTraces);
    glBindBuffer(GL_ARRAY_BUFFER, tamponTraces);
    glEnableVertexAttribArray(A_POSITION);
    glVertexAttribPointer(A_POSITION, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    glBindVertexArray(0);
    glViewport(0, 0, 1024, 768);
    projette(1024, 768);
    // The modelview is the identity here: the position is in eye coordinates.
    float identite[16];
    matIdentite(identite);
    envoieLumiere(identite);
    matIdentite(vue);
}

void ReSizeGLScene(int width, int height) {
    // A window of no height keeps a finite projection: its aspect is taken
    // as if it were one pixel high.
    if (height == 0) height = 1;
    if (!programme) return; // no WebGL: nothing to fit
    glViewport(0, 0, width, height);
    projette(width, height);
}

void eclairage(int allume) {
    if (programme) glUniform1i(uEclairage, allume ? 1 : 0);
}

void DrawGLSceneF() {
    if (!programme) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    float oeil[3], centre[3];
    const float haut[3] = {0.0f, 1.0f, 0.0f};
    regardImage(oeil, centre);
    matRegard(vue, oeil, centre, haut);
    if (rot == 1) {
        matRotation(vue, spin_y, 5.0f, 0.0f, 0.0f);
        matRotation(vue, spin_x, 0.0f, 1.0f, 0.0f);
        // Sent after the turns: the light turns with the bodies.
        envoieLumiere(vue);
    }

    if (cerc == 1 || cerc == 2) chargeTraces();
    dessineCorps();
    glBindVertexArray(0);
}

void planete(double x, double y, double z, double m, int i) {
    float r = rayonCorps(m);
    if (skii < 0 || skii > 3 || !programme) return;
    float modele[16];
    for (int k = 0; k < 16; k++) modele[k] = vue[k];
    matTranslation(modele, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    glUniformMatrix4fv(uVueModele, 1, GL_FALSE, modele);
    glUniform1f(uTaille, r);
    const Forme *f = &formes[skii];
    // A solid sphere seen from outside hides its back: those triangles are
    // culled, which changes no pixel.  One less than 5 pixels in radius is
    // drawn with 10 slices and 10 stacks instead of 20: its outline moves
    // by less than a quarter of a pixel (r (1 - cos 18 degrees)), and
    // software WebGL spends its time per triangle on such small bodies.
    bool dehors = false;
    if (skii == 0) {
        const float *c = modele + 12; // the centre in eye space
        float distance = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
        dehors = distance > r + 1.0f; // the near plane (0.1 away) cuts nothing either
        if (dehors && -c[2] > 0.0f && r * projection[5] / -c[2] * static_cast<float>(hauteurVue) / 2 < 5.0f)
            f = &petiteSphere;
    }
    lieNumero(i - 1, !f->coordonnees);
    glBindVertexArray(f->vao);
    if (dehors) glEnable(GL_CULL_FACE);
    glDrawElements(f->primitive, f->nombre, GL_UNSIGNED_SHORT, nullptr);
    if (dehors) glDisable(GL_CULL_FACE);
}

namespace {

// Sets what a trail or area draw shares: the camera, no scaling, number 3,
// the current normal and texture coordinate (0, 0).
bool prepareTrace(int i) {
    if (!programme || i < 1 || i > nb || traces.empty()) return false;
    glUniformMatrix4fv(uVueModele, 1, GL_FALSE, vue);
    glUniform1f(uTaille, 1.0f);
    lieNumero(3, true);
    glBindVertexArray(vaoTraces);
    glVertexAttrib3f(A_NORMALE, 0.0f, aireFaite ? 1.0f : 0.0f, aireFaite ? 0.0f : 1.0f);
    glVertexAttrib2f(A_TEXTURE, 0.0f, 0.0f);
    return true;
}

} // namespace

// Draws from the buffer that DrawGLSceneF filled at the start of the frame.
void tracplanete(double, double, double, int i) {
    if (!prepareTrace(i)) return;
    glDrawArrays(GL_LINE_STRIP, (i - 1) * parCorps, niter + 1);
}

void tracaire(double, double, double, int i) {
    if (niter < 20) return;
    aireFaite = true;
    if (!prepareTrace(i)) return;
    glDrawArrays(GL_TRIANGLE_FAN, (i - 1) * parCorps + debutAire, 22);
}
