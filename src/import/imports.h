// The six imports of the SICE-to-Orvalent run, one table each, in the order
// the run calls them. Each reads its SICE file(s) from RutaSice, rebuilds its
// table in the working folder, reports a missing file by a message and
// EstadoTransformacion -1 (the subject hours file only by its message), and
// lets every other failure go up as tos::Error, its table released.
#pragma once

#include "import/import_context.h"

namespace tos {

void TransformarAsignaturas(ImportContext& context);        // sice_asignat.txt -> ASIGNOMT
void TransformarProfesores(ImportContext& context);         // sice_prof.txt -> PROFT
void TransformarAulas(ImportContext& context);              // sice_aulas.txt -> AULAT
void TransformarGrupos(ImportContext& context);             // sice_grupo.txt -> GRUPOST
void TransformarAsignaturasGrupos(ImportContext& context);  // + GRUPOST, hours -> ASIGT
void TransformarSesiones(ImportContext& context);           // sice_sesiones.txt -> DIASHORAST

}  // namespace tos
